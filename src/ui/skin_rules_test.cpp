#include <gtest/gtest.h>

#include <limits>

#include "ui/skin_rules.h"

namespace sl {

namespace {

constexpr SkinImages kAll{true, true, true, true};
constexpr SkinImages kLink{true, true, false, false};  // links have normal and hover only

TEST(ChooseSkinImage, StateOrderWithEveryPicture) {
  EXPECT_EQ(ChooseSkinImage({}, kAll).image, SkinImage::Normal);
  EXPECT_EQ(ChooseSkinImage({.hot = true}, kAll).image, SkinImage::Hover);
  EXPECT_EQ(ChooseSkinImage({.selected = true, .hot = true}, kAll).image, SkinImage::Pressed);
  EXPECT_EQ(ChooseSkinImage({.disabled = true}, kAll).image, SkinImage::Disabled);
  EXPECT_EQ(ChooseSkinImage({.hot = true, .disabled = true}, kAll).image,
            SkinImage::Hover);  // hot comes first
  EXPECT_EQ(ChooseSkinImage({.hot = true, .checkedState = true}, kAll).image, SkinImage::Pressed);
  EXPECT_EQ(ChooseSkinImage({.checkedFlag = true}, kAll).image, SkinImage::Disabled);
}

TEST(ChooseSkinImage, LinkFallsBackToItsHoverPicture) {
  const SkinChoice pressed = ChooseSkinImage({.selected = true}, kLink);
  EXPECT_EQ(pressed.image, SkinImage::Pressed);
  EXPECT_TRUE(pressed.pressedFromHover);
  const SkinChoice disabled = ChooseSkinImage({.disabled = true}, kLink);
  EXPECT_EQ(disabled.image, SkinImage::Disabled);
  EXPECT_TRUE(disabled.disabledFromHover);
}

TEST(ChooseSkinImage, MissingPicturesPaintNothing) {
  EXPECT_EQ(ChooseSkinImage({}, {}).image, SkinImage::None);
  EXPECT_EQ(ChooseSkinImage({.selected = true}, {}).image, SkinImage::None);
  EXPECT_EQ(ChooseSkinImage({.disabled = true}, {}).image, SkinImage::None);
  const SkinChoice hot = ChooseSkinImage({.hot = true}, {.normal = true});
  EXPECT_EQ(hot.image, SkinImage::Hover);
  EXPECT_TRUE(hot.hoverFromNormal);
}

}  // namespace

namespace {

TEST(ScaleByDpi, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(ScaleByDpi(597, 96), 597);
  EXPECT_EQ(ScaleByDpi(597, 144), 896);  // 895.5
  EXPECT_EQ(ScaleByDpi(597, 192), 1194);
  EXPECT_EQ(ScaleByDpi(1020, 144), 1530);
  EXPECT_EQ(ScaleByDpi(989, 120), 1236);  // 1236.25
  EXPECT_EQ(ScaleByDpi(-3, 144), -5);     // -4.5
  EXPECT_EQ(ScaleByDpi(-14, 144), -21);
  EXPECT_EQ(ScaleByDpi(0, 144), 0);
}

TEST(ScaleRect, ScalesCornerAndSizeSoAScaledPictureFillsIt) {
  const SkinRect link{615, 50, 690, 72};  // 75 × 22
  EXPECT_EQ(ScaleRect(link, 96), link);
  const SkinRect scaled = ScaleRect(link, 144);
  EXPECT_EQ(scaled, (SkinRect{923, 75, 1036, 108}));
  EXPECT_EQ(scaled.right - scaled.left, ScaleByDpi(75, 144));
  EXPECT_EQ(ScaleRect(link, 192), (SkinRect{1230, 100, 1380, 144}));
}

TEST(SkinArt, TheSharperSetAndItsSize) {
  EXPECT_EQ(SkinImageId(128, 96), 128);
  EXPECT_EQ(SkinImageId(128, 72), 128);
  EXPECT_EQ(SkinImageId(128, 97), 1128);
  EXPECT_EQ(SkinImageId(176, 192), 1176);
  EXPECT_EQ(PictureSide(2040, ArtScale(144), 144), 1530);
  EXPECT_EQ(PictureSide(1194, ArtScale(144), 144), 896);
  EXPECT_EQ(PictureSide(1194, ArtScale(192), 192), 1194);  // used as drawn
  EXPECT_EQ(PictureSide(597, ArtScale(96), 96), 597);
  EXPECT_EQ(PictureSide(75, ArtScale(96), 96), 75);
}

}  // namespace

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
