#include "ui/skin_rules.h"

namespace sl {
namespace {

// The disabled picture, else the hover picture, which then stands in for it.
SkinChoice DisabledOrHover(const SkinImages& images) {
  if (images.disabled) return {SkinImage::Disabled};
  if (images.hover) return {SkinImage::Disabled, false, false, true};
  return {};
}

}  // namespace

SkinChoice ChooseSkinImage(const SkinState& state, const SkinImages& images) {
  if (state.selected) {
    if (images.pressed) return {SkinImage::Pressed};
    if (images.hover) return {SkinImage::Pressed, true};
    return {};
  }
  if (state.hot) {
    SkinChoice choice;
    if (!images.hover) {
      if (!images.normal) return {};
      choice.hoverFromNormal = true;
    }
    if (state.checkedState) {
      // A checked button under the mouse shows its pressed picture (none: nothing is painted).
      choice.image = images.pressed ? SkinImage::Pressed : SkinImage::None;
    } else {
      choice.image = SkinImage::Hover;
    }
    return choice;
  }
  if (state.checkedFlag || state.disabled || state.checkedState) return DisabledOrHover(images);
  if (images.normal) return {SkinImage::Normal};
  return {};
}

}  // namespace sl
