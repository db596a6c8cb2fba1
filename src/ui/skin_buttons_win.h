// The skin on screen: its pictures loaded as pattern brushes for the window's DPI, and the picture buttons of
// the main window.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "base/unique_handle_win.h"
#include "ui/skin_rules.h"

namespace sl {

// The fifteen picture buttons of the main window.

struct ButtonSpec {
  uint16_t commandId;
  int x, y, width, height;
  DWORD extraStyle;
  // "IMG_SYS" id of the normal picture, and how many of normal, hover, pressed and disabled the
  // button has, at IMG_HOVER, IMG_PRESSED and IMG_DISABLED from it.
  int firstImage;
  int imageCount;
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
  RECT rect{};  // at 96 DPI; the window stands at ScaleRect(rect, dpi)
  HWND window = nullptr;
  bool drawsName = false;
};

inline constexpr size_t kSkinButtonCount = 15;
using SkinButtons = std::array<SkinButton, kSkinButtonCount>;

// Loads the pictures for `dpi` and creates every button of the table, in its order, at its place
// scaled to `dpi`.
void CreateSkinButtons(SkinButtons& buttons, HWND parent, int dpi);

// After a DPI change: the pictures again for the new DPI, and every button moved to its new place.
void ApplySkinButtonsDpi(SkinButtons& buttons, int dpi);

// The button with this command id, when it exists and has a window.
[[nodiscard]] SkinButton* FindSkinButton(SkinButtons& buttons, int commandId);

// Paints the picture for the custom-draw item state (CDIS_* flags) over the item rectangle (the
// pictures, loaded for the window's DPI, have the item's size), the window text in `font` where
// the picture has no caption, and the focus rectangle when the keyboard is in use. False when there
// was nothing to paint.
bool DrawSkinButton(SkinButton& button, HDC dc, const RECT& item, UINT itemState, HWND buttonWindow,
                    HFONT font);

// Skin pictures stored as "IMG_SYS" resources, turned into ready-to-paint pattern brushes.

// Decodes picture `id` (PNG or JPEG) with GDI+ into a pattern brush of the whole picture at `dpi`:
// the 1x picture at 96 DPI and below, else its 2x picture resampled once to the scaled size;
// null when the resource is missing or cannot be decoded. GDI+ must have been started.
[[nodiscard]] HBRUSH LoadSkinImage(HMODULE module, int id, int dpi = kBaseDpi);

// The window's DPI and RECT scaling on top of skin_rules.h.

// GetDpiForWindow, or 96 for a window that has none (gone, or a system that cannot tell).
[[nodiscard]] inline int WindowDpi(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi != 0 ? static_cast<int>(dpi) : kBaseDpi;
}

[[nodiscard]] inline RECT ToRect(const SkinRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

[[nodiscard]] inline RECT ScaleRect(const RECT& rect, int dpi) {
  return ToRect(ScaleRect(SkinRect{rect.left, rect.top, rect.right, rect.bottom}, dpi));
}

}  // namespace sl
