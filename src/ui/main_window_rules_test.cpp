#include "ui/main_window_rules.h"

#include <gtest/gtest.h>

#include "store/install_state.h"

namespace sl {
namespace {

TEST(CloseQuestion, AskedOnlyWhileARunIsActive) {
  EXPECT_EQ(CloseQuestion(STATE_INSTALLING), "Đang cài đặt Bão Lửa! Bạn có muốn thoát chương trình không?");
  EXPECT_EQ(CloseQuestion(STATE_UPDATING), "Đang Cập nhật Bão Lửa! Bạn có muốn thoát chương trình không?");
  EXPECT_FALSE(CloseQuestion(STATE_IDLE));
  EXPECT_FALSE(CloseQuestion(1087));
}

TEST(StaticColors, TwoBackgroundsShareOneBrushEach) {
  EXPECT_EQ(ColorsOf(StaticRole::FolderField).background, (Rgb{51, 51, 52}));
  EXPECT_EQ(ColorsOf(StaticRole::FolderLabel).background, ColorsOf(StaticRole::VersionLabel).background);
  EXPECT_EQ(ColorsOf(StaticRole::VersionLabel).text, (Rgb{255, 255, 150}));
  EXPECT_EQ(ColorsOf(StaticRole::FolderLabel).text, (Rgb{255, 255, 255}));
}

}  // namespace
}  // namespace sl
