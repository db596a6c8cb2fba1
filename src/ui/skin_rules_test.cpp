#include "ui/skin_rules.h"

#include <gtest/gtest.h>

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
}  // namespace sl
