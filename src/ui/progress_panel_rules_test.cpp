#include "ui/progress_panel_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace sl {
namespace {

TEST(ProgressPanelRules, TextRoundsWhileTheBarTruncates) {
  EXPECT_EQ(PanelPercentText(57.123), "57.12%");
  EXPECT_EQ(PanelBarPosition(57.123), 57);
  EXPECT_EQ(PanelPercentText(100), "100.00%");
  EXPECT_EQ(PanelBarPosition(100), 100);
  EXPECT_EQ(PanelPercentText(99.999), "100.00%");
  EXPECT_EQ(PanelBarPosition(99.999), 99);
  EXPECT_EQ(PanelPercentText(0), "0.00%");
  EXPECT_EQ(PanelBarPosition(0), 0);
}

TEST(ProgressPanelRules, BarStaysInItsRange) {
  EXPECT_EQ(PanelBarPosition(250.0), 100);
  EXPECT_EQ(PanelBarPosition(-3.5), 0);
  EXPECT_EQ(PanelBarPosition(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(PanelBarPosition(std::numeric_limits<double>::infinity()), 100);
}

}  // namespace
}  // namespace sl
