#include "ui/view_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(ChooseIdleView, ByInstallMode) {
  EXPECT_EQ(ChooseIdleView(0, 0, 0), IdleView::Install);   // unknown latest version: nothing to play
  EXPECT_EQ(ChooseIdleView(0, 118, 100), IdleView::Play);  // but an installed game can be started
  EXPECT_EQ(ChooseIdleView(120, 120, 100), IdleView::Play);
  EXPECT_EQ(ChooseIdleView(120, 118, 100), IdleView::Update);
  EXPECT_EQ(ChooseIdleView(120, 100, 100), IdleView::Update);
  EXPECT_EQ(ChooseIdleView(120, 99, 100), IdleView::Install);
  EXPECT_EQ(ChooseIdleView(120, 0, 100), IdleView::Install);
}

TEST(StartWarning, ByVerdict) {
  EXPECT_EQ(StartWarning(0), "");
  EXPECT_EQ(StartWarning(1), "Ổ đĩa cài Bão Lửa không đủ dung lượng!");
  EXPECT_EQ(StartWarning(2), "Ổ đĩa chứa tệp tin tải xuống không đủ dung lượng!");
  EXPECT_EQ(StartWarning(3), "Không đủ dung lượng để tải tệp tin và cài đặt Bão lửa!");
}

TEST(LinkUrl, PagesOfThePublisherSite) {
  EXPECT_EQ(LinkUrl(1705, "web.example", "7"), "https://web.example");
  EXPECT_EQ(LinkUrl(1706, "web.example", "7"), "https://web.example/list/events");
  EXPECT_EQ(LinkUrl(1703, "web.example", "7"), "https://web.example/list/cam-nang");
  EXPECT_EQ(LinkUrl(1709, "web.example", "123456789012345678"),
            "https://web.example/sso/napvy?t=123456789012345678");
  EXPECT_EQ(LinkUrl(1704, "web.example", "7"), "");
  EXPECT_EQ(LinkUrl(1720, "web.example", "7"), "");
}

}  // namespace
}  // namespace sl
