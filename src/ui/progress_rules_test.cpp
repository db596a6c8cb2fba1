#include "ui/progress_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace sl {
namespace {

TEST(ComputeTotalProgress, TruncatesThePercentAndRoundsTheText) {
  struct Case {
    double done, total;
    int32_t percent;
    const char* text;
  };
  const Case cases[] = {
      {0, 100, 0, "0.0%"},
      {1, 3, 33, "33.3%"},
      {2, 3, 66, "66.7%"},
      {3, 3, 100, "100.0%"},
      {999, 1000, 99, "99.9%"},
      {-1, 3, -33, "-33.3%"},
      {5e12, 1, std::numeric_limits<int32_t>::max(), "500000000000000.0%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.done << "/" << c.total);
    const auto progress = ComputeTotalProgress(c.done, c.total);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->percent, c.percent);
    EXPECT_EQ(progress->text, c.text);
  }
  EXPECT_FALSE(ComputeTotalProgress(5, 0));
  EXPECT_EQ(ComputeTotalProgress(std::numeric_limits<double>::quiet_NaN(), 1)->percent, 0);
}

TEST(BarFillRight, SignedProductTruncatedTowardZero) {
  struct Case {
    int32_t left, right, percent, expected;
  };
  const Case cases[] = {
      {50, 450, 0, 50},      {50, 450, 50, 250}, {50, 450, 100, 450}, {50, 450, 33, 182},  // 13200 / 100
      {50, 450, -1, 46},                     // -400 / 100 = -4: reversed bar, drawn as computed
      {50, 450, 150, 650},   {0, 3, 33, 0},  // 0.99 truncates to 0
      {0, 400, 10737419, 3},                 // the product wraps past 2^32 to 304, as 32-bit arithmetic does
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BarFillRight(c.left, c.right, c.percent), c.expected) << c.percent;
  }
}

TEST(RedrawDue, StrictlyMoreThanTwoTenthsSinceTheLastAcceptedRequest) {
  EXPECT_TRUE(RedrawDue(1.7e9, 0));  // first request after creation
  EXPECT_FALSE(RedrawDue(100.1, 100.0));
  EXPECT_FALSE(RedrawDue(kRedrawIntervalSeconds, 0));  // exactly the interval: not more
  EXPECT_TRUE(RedrawDue(100.21, 100.0));
  EXPECT_TRUE(RedrawDue(99.0, 100.0));  // clock set back: painting must not stop until it catches up

  EXPECT_EQ(RedrawDelayMs(100.05, 100.0), 151u);
  EXPECT_EQ(RedrawDelayMs(100.0, 100.0), 200u);
  EXPECT_EQ(RedrawDelayMs(100.3, 100.0), 1u);
  EXPECT_EQ(RedrawDelayMs(99.0, 100.0), 200u);
}

}  // namespace
}  // namespace sl
