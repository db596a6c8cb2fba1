#include "ui/skin_buttons_win.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>
#include <commctrl.h>

#include <iterator>
#include <memory>

#include "base/unique_handle_win.h"
#include "res/resource.h"
#include "ui/commands.h"
#include "ui/skin_rules.h"

namespace sl {

namespace {

// Creation order matters: it is the order of the lookups and of the tab stops.
constexpr ButtonSpec kButtons[kSkinButtonCount] = {
    {CMD_CLOSE, 989, 0, 28, 28, 0, IMG_CLOSE, 3, L"Đóng", false},
    {CMD_MINIMIZE, 960, 0, 28, 28, 0, IMG_MINIMIZE, 3, L"Thu nhỏ", false},
    {CMD_LINK_HOME, 540, 50, 75, 22, 0, IMG_LINK_HOME, 2, L"Trang chủ", false},
    {CMD_LINK_EVENTS, 615, 50, 75, 22, 0, IMG_LINK_EVENTS, 2, L"Sự kiện", false},
    {CMD_LINK_TOURNAMENTS, 690, 50, 75, 22, 0, IMG_LINK_TOURNAMENTS, 2, L"Giải đấu", false},
    {CMD_LINK_GUIDE, 765, 50, 75, 22, 0, IMG_LINK_GUIDE, 2, L"Hướng dẫn", false},
    {CMD_LINK_REGISTER, 850, 50, 150, 39, 0, IMG_REGISTER, 2, L"Đăng ký", false},
    {CMD_LINK_TOPUP, 850, 100, 150, 39, 0, IMG_TOPUP, 2, L"Nạp thẻ", false},
    {CMD_BROWSE_INSTALL, 770, 511, 28, 23, 0, IMG_FOLDER, 2, L"Chọn thư mục cài đặt", false},
    {CMD_BROWSE_DOWNLOAD, 770, 561, 28, 23, 0, IMG_FOLDER, 2, L"Chọn thư mục lưu tệp tin tải xuống", false},
    // A push-like check box that is never checked: it draws like the other start buttons.
    {CMD_INSTALL, 820, 510, 170, 57, BS_CHECKBOX | BS_PUSHLIKE, IMG_INSTALL, 4, L"Cài đặt", false},
    {CMD_UPDATE, 820, 510, 170, 57, 0, IMG_UPDATE, 4, L"Cập nhật", false},
    {CMD_PLAY, 820, 510, 170, 57, 0, IMG_PLAY, 4, L"Chơi ngay", false},
    // The progress view's own, created hidden; their texts change, so the program draws them.
    {CMD_PAUSE, 820, 472, 70, 30, 0, IMG_PAUSE, 4, L"Tạm dừng", true},
    {CMD_SPEED_LIMIT, 890, 472, 100, 30, 0, IMG_SPEED_LIMIT, 4, L"Không giới hạn", true},
};

// The drawn captions: light on the bevel, grey while the button cannot be pressed.
constexpr COLORREF kNameColor = RGB(255, 236, 200);
constexpr COLORREF kDisabledNameColor = RGB(150, 150, 150);
// The focus rectangle sits this far inside the picture's frame, at 96 DPI.
constexpr int kFocusInset = 3;

void LoadPictures(SkinButton& button, const ButtonSpec& row, int dpi) {
  static_assert(IMG_HOVER == 1 && IMG_PRESSED == 2 && IMG_DISABLED == 3);
  for (size_t k = 0; k < button.pictures.size(); ++k) {
    const bool has = static_cast<int>(k) < row.imageCount;
    button.pictures[k].reset(
        has ? LoadSkinImage(::GetModuleHandleW(nullptr), row.firstImage + static_cast<int>(k), dpi)
            : nullptr);
  }
  button.normal = button.pictures[0].get();
  button.hover = button.pictures[1].get();
  button.pressed = button.pictures[2].get();
  button.disabled = button.pictures[3].get();
}

void CreateSkinButton(SkinButton& button, const ButtonSpec& row, HWND parent, int dpi) {
  // The progress view's buttons wait hidden for it; every button is a tab stop.
  const DWORD visible = row.drawsName ? 0 : WS_VISIBLE;
  button.style = row.extraStyle | visible | WS_CHILD | WS_TABSTOP;
  button.drawsName = row.drawsName;
  button.rect = {row.x, row.y, row.x + row.width, row.y + row.height};
  button.commandId = row.commandId;
  const RECT place = ScaleRect(button.rect, dpi);
  button.window =
      ::CreateWindowExW(0, L"button", row.name, button.style, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.commandId)), nullptr, nullptr);
}

void DrawName(HDC dc, const RECT& item, HWND buttonWindow, bool disabled, HFONT font) {
  wchar_t name[64];
  const int length = ::GetWindowTextW(buttonWindow, name, static_cast<int>(std::size(name)));
  ScopedDcState saved(dc);
  ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, disabled ? kDisabledNameColor : kNameColor);
  RECT box = item;
  ::DrawTextW(dc, name, length, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
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

bool DrawSkinButton(SkinButton& button, HDC dc, const RECT& item, UINT itemState, HWND buttonWindow,
                    HFONT font) {
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

  // In the order of SkinImage, whose last value, None, has no picture.
  const HBRUSH slots[] = {button.normal, button.hover, button.pressed, button.disabled};
  static_assert(std::size(slots) == static_cast<size_t>(SkinImage::None));
  const size_t slot = static_cast<size_t>(choice.image);
  const HBRUSH brush = slot < std::size(slots) ? slots[slot] : nullptr;
  if (brush == nullptr) return false;
  // The pattern starts at the button's corner, so the picture, scaled with the button, lies there as drawn.
  ::SetBrushOrgEx(dc, item.left, item.top, nullptr);
  ::FillRect(dc, &item, brush);
  if (button.drawsName) DrawName(dc, item, buttonWindow, state.disabled, font);
  if ((itemState & CDIS_FOCUS) != 0 && (itemState & CDIS_SHOWKEYBOARDCUES) != 0) {
    RECT focus = item;
    const int inset = ScaleByDpi(kFocusInset, WindowDpi(buttonWindow));
    ::InflateRect(&focus, -inset, -inset);
    ::DrawFocusRect(dc, &focus);
  }
  return true;
}

namespace {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};

std::unique_ptr<Gdiplus::Bitmap> Decode(HMODULE module, int id) {
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"IMG_SYS");
  if (info == nullptr) return nullptr;
  const DWORD size = ::SizeofResource(module, info);
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (size == 0 || bytes == nullptr) return nullptr;

  // A memory stream over the resource bytes; GDI+ may read it lazily, so it owns its copy.
  std::unique_ptr<IStream, ComRelease> stream(
      ::SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size)));
  if (!stream) return nullptr;

  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return picture;
}

// The picture at width × height, filtered once here so that painting stays a plain brush fill.
std::unique_ptr<Gdiplus::Bitmap> Resample(Gdiplus::Bitmap& picture, int width, int height) {
  auto scaled = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  if (scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics graphics(scaled.get());
  graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  // Mirrored at the edges, so the filter pulls no transparent black into the border pixels.
  Gdiplus::ImageAttributes edges;
  edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  const Gdiplus::Status drawn = graphics.DrawImage(
      &picture, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(picture.GetWidth()),
      static_cast<INT>(picture.GetHeight()), Gdiplus::UnitPixel, &edges);
  return drawn == Gdiplus::Ok ? std::move(scaled) : nullptr;
}

}  // namespace

HBRUSH LoadSkinImage(HMODULE module, int id, int dpi) {
  std::unique_ptr<Gdiplus::Bitmap> picture = Decode(module, SkinImageId(id, dpi));
  if (!picture) return nullptr;
  const int scale = ArtScale(dpi);
  const int width = PictureSide(static_cast<int>(picture->GetWidth()), scale, dpi);
  const int height = PictureSide(static_cast<int>(picture->GetHeight()), scale, dpi);
  if (width != static_cast<int>(picture->GetWidth()) || height != static_cast<int>(picture->GetHeight())) {
    picture = Resample(*picture, width, height);
    if (!picture) return nullptr;
  }

  UniqueBitmap bitmap;
  if (picture->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), bitmap.put()) != Gdiplus::Ok) return nullptr;
  return ::CreatePatternBrush(bitmap.get());  // the brush keeps its own copy of the pattern
}

}  // namespace sl
