#include "ui/skin_buttons_win.h"

#include <commctrl.h>

#include "ui/commands.h"
#include "ui/dpi_win.h"
#include "ui/skin_image_win.h"
#include "ui/skin_rules.h"

namespace sl {
namespace {

// Creation order matters: it is the order of the lookups and of the tab stops.
constexpr ButtonSpec kButtons[kSkinButtonCount] = {
    {CMD_CLOSE, 989, 0, 28, 28, 0, 120, 121, 122, 0},
    {CMD_MINIMIZE, 960, 0, 28, 28, 0, 123, 124, 125, 0},
    {CMD_LINK_HOME, 540, 50, 75, 22, 0, 148, 149, 0, 0},
    {CMD_LINK_EVENTS, 615, 50, 75, 22, 0, 150, 151, 0, 0},
    {CMD_LINK_TOURNAMENTS, 690, 50, 75, 22, 0, 152, 153, 0, 0},
    {CMD_LINK_GUIDE, 765, 50, 75, 22, 0, 154, 155, 0, 0},
    {CMD_LINK_REGISTER, 850, 50, 150, 39, 0, 156, 157, 0, 0},
    {CMD_LINK_TOPUP, 850, 100, 150, 39, 0, 158, 159, 0, 0},
    {CMD_BROWSE_INSTALL, 770, 511, 28, 23, 0, 130, 131, 0, 0},
    {CMD_BROWSE_DOWNLOAD, 770, 561, 28, 23, 0, 130, 131, 0, 0},
    // A push-like check box that is never checked: it draws like the other start buttons.
    {CMD_INSTALL, 820, 510, 170, 57, BS_CHECKBOX | BS_PUSHLIKE, 160, 161, 162, 163},
    {CMD_UPDATE, 820, 510, 170, 57, 0, 164, 165, 166, 167},
    {CMD_PLAY, 820, 510, 170, 57, 0, 168, 169, 170, 171},
};

HBRUSH LoadImageBrush(int id, int dpi) {
  return id == 0 ? nullptr : LoadSkinImage(::GetModuleHandleW(nullptr), id, dpi);
}

void LoadPictures(SkinButton& button, const ButtonSpec& row, int dpi) {
  const int ids[] = {row.normalImage, row.hoverImage, row.pressedImage, row.disabledImage};
  for (size_t k = 0; k < button.pictures.size(); ++k) button.pictures[k].reset(LoadImageBrush(ids[k], dpi));
  button.normal = button.pictures[0].get();
  button.hover = button.pictures[1].get();
  button.pressed = button.pictures[2].get();
  button.disabled = button.pictures[3].get();
}

void CreateSkinButton(SkinButton& button, const ButtonSpec& row, HWND parent, int dpi) {
  button.style = row.extraStyle | WS_VISIBLE | WS_CHILD;
  button.rect = {row.x, row.y, row.x + row.width, row.y + row.height};
  button.commandId = row.commandId;
  const RECT place = ScaleRect(button.rect, dpi);
  button.window =
      ::CreateWindowExW(0, L"button", L"", button.style, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.commandId)), nullptr, nullptr);
}

}  // namespace

void CreateSkinButtons(SkinButtons& buttons, HWND parent, int dpi) {
  for (size_t i = 0; i < kSkinButtonCount; ++i) {
    LoadPictures(buttons[i], kButtons[i], dpi);
    CreateSkinButton(buttons[i], kButtons[i], parent, dpi);
  }
}

void ApplySkinButtonsDpi(SkinButtons& buttons, int dpi) {
  for (size_t i = 0; i < kSkinButtonCount; ++i) {
    SkinButton& button = buttons[i];
    LoadPictures(button, kButtons[i], dpi);
    if (button.window == nullptr) continue;
    const RECT place = ScaleRect(button.rect, dpi);
    ::SetWindowPos(button.window, nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(button.window, nullptr, TRUE);
  }
}

SkinButton* FindSkinButton(SkinButtons& buttons, int commandId) {
  for (SkinButton& button : buttons) {
    if (button.commandId == commandId) return button.window != nullptr ? &button : nullptr;
  }
  return nullptr;
}

void DrawSkinButton(SkinButton& button, HDC dc, const RECT& item, UINT itemState, HWND buttonWindow) {
  SkinState state;
  state.selected = itemState & CDIS_SELECTED;
  state.hot = itemState & CDIS_HOT;
  state.checkedFlag = itemState & CDIS_CHECKED;
  state.disabled = itemState & CDIS_DISABLED;
  state.checkedState = ::IsDlgButtonChecked(::GetParent(buttonWindow), button.commandId) == BST_CHECKED;
  const SkinImages images{button.normal != nullptr, button.hover != nullptr, button.pressed != nullptr,
                          button.disabled != nullptr};
  const SkinChoice choice = ChooseSkinImage(state, images);
  if (choice.pressedFromHover) button.pressed = button.hover;
  if (choice.hoverFromNormal) button.hover = button.normal;
  if (choice.disabledFromHover) button.disabled = button.hover;

  HBRUSH brush = nullptr;
  switch (choice.image) {
    case SkinImage::Normal:
      brush = button.normal;
      break;
    case SkinImage::Hover:
      brush = button.hover;
      break;
    case SkinImage::Pressed:
      brush = button.pressed;
      break;
    case SkinImage::Disabled:
      brush = button.disabled;
      break;
    case SkinImage::None:
      break;
  }
  if (brush == nullptr) return;
  // The pattern starts at the button's corner, so the picture, scaled with the button, lies there as drawn.
  ::SetBrushOrgEx(dc, item.left, item.top, nullptr);
  ::FillRect(dc, &item, brush);
}

}  // namespace sl
