#include "ui/dpi_rules.h"

#include <gtest/gtest.h>

namespace sl {
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
}  // namespace sl
