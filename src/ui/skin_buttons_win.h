// The thirteen picture buttons of the main window.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "base/unique_handle_win.h"

namespace sl {

struct ButtonSpec {
  uint16_t commandId;
  int x, y, width, height;
  DWORD extraStyle;
  int normalImage, hoverImage, pressedImage, disabledImage;  // "IMG_SYS" ids; 0 = none
  const wchar_t* name;  // the window text: what screen readers say; drawn over caption-less pictures
  bool drawsName;       // the pictures carry no caption: the program draws the window text
};

struct SkinButton {
  // The loaded pictures, owned; the four slots below point into them, and a slot whose picture is
  // missing may come to share another slot's picture.
  std::array<UniqueBrush, 4> pictures;
  HBRUSH normal = nullptr;
  HBRUSH disabled = nullptr;
  HBRUSH pressed = nullptr;
  HBRUSH hover = nullptr;
  DWORD style = 0;
  int commandId = 0;
  RECT rect{};
  HWND window = nullptr;
  bool drawsName = false;
};

inline constexpr size_t kSkinButtonCount = 15;
using SkinButtons = std::array<SkinButton, kSkinButtonCount>;

// Loads the pictures and creates every button of the table, in its order.
void CreateSkinButtons(SkinButtons& buttons, HWND parent);

// The button with this command id, when it exists and has a window.
[[nodiscard]] SkinButton* FindSkinButton(SkinButtons& buttons, int commandId);

// Paints the picture for the custom-draw item state (CDIS_* flags) over the item rectangle, the
// window text in `font` where the picture has no caption, and the focus rectangle when the keyboard
// is in use. False when there was nothing to paint.
bool DrawSkinButton(SkinButton& button, HDC dc, const RECT& item, UINT itemState, HWND buttonWindow,
                    HFONT font);

}  // namespace sl
