#include "ui/shell_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(ShellRules, VersionedTitleKeepsVietnameseText) {
  EXPECT_EQ(MakeVersionedTitle("Cài đặt STORMLINE - Bão Lửa"), "Cài đặt STORMLINE - Bão Lửa - 1.0.2.5");
  EXPECT_EQ(MakeVersionedTitle(""), " - 1.0.2.5");
}

TEST(ShellRules, CentringTruncatesTowardZero) {
  EXPECT_EQ(CenterOrigin(1024, 768, 1020, 597).x, 2);
  EXPECT_EQ(CenterOrigin(1024, 768, 1020, 597).y, 85);
  EXPECT_EQ(CenterOrigin(1008, 768, 1020, 597).x, -6);
  EXPECT_EQ(CenterOrigin(1019, 596, 1020, 597).x, 0);  // -1 / 2 is 0, not -1
  EXPECT_EQ(CenterOrigin(1019, 596, 1020, 597).y, 0);
  EXPECT_EQ(CenterOrigin(1920, 1080, 1020, 597).y, 241);
}

TEST(ShellRules, RunningInstanceIsRestoredOnlyWhenHiddenOrMinimised) {
  EXPECT_TRUE(NeedsRestore(false, kShowNormal));
  EXPECT_TRUE(NeedsRestore(true, kShowMinimized));
  EXPECT_TRUE(NeedsRestore(true, kMinimize));
  EXPECT_FALSE(NeedsRestore(true, kShowNormal));
  EXPECT_FALSE(NeedsRestore(true, 3));  // maximised stays as it is
}

}  // namespace
}  // namespace sl
