// Which picture a skinned button shows in a given state, with the fallbacks that fill in
// missing pictures.
#pragma once

#include <cstdint>

namespace sl {

enum class SkinImage { Normal, Hover, Pressed, Disabled, None };

struct SkinState {
  bool selected = false;     // pressed
  bool hot = false;          // under the mouse
  bool checkedFlag = false;  // the custom-draw item state says checked
  bool disabled = false;
  bool checkedState = false;  // the button's own check state is BST_CHECKED
};

// Which of the four pictures a button has; the choice below may fill some in from others.
struct SkinImages {
  bool normal = false;
  bool hover = false;
  bool pressed = false;
  bool disabled = false;
};

struct SkinChoice {
  SkinImage image = SkinImage::None;
  bool pressedFromHover = false;   // the hover picture now also serves as the pressed one
  bool hoverFromNormal = false;    // the normal picture now also serves as the hover one
  bool disabledFromHover = false;  // the hover picture now also serves as the disabled one
};

[[nodiscard]] SkinChoice ChooseSkinImage(const SkinState& state, const SkinImages& images);

}  // namespace sl
