#include "ui/main_controls_win.h"

#include "base/window_messages.h"
#include "res/resource.h"
#include "ui/skin_buttons_win.h"
#include "ui/commands.h"

namespace sl {
namespace {

constexpr int kStaticsFontHeight = 14;
constexpr int kTitleFontHeight = 18;  // the painted window title

struct StaticSpec {
  HWND MainControls::*field;
  DWORD style;
  int x, y, width, height;
  int controlId;
};

// Starting positions of the five static texts, in creation order (that of MainControls' fields).
constexpr StaticSpec kStatics[kStaticCount] = {
    {&MainControls::installDirField, WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE, 290, 510, 480, 24,
     31},
    {&MainControls::installDirLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20, 290, 486, 320, 24, 0},
    {&MainControls::versionLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20 | SS_RIGHT, 610, 486, 160, 24,
     0},
    {&MainControls::downloadDirField, WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE, 290, 560, 480, 24,
     32},
    {&MainControls::downloadDirLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20, 290, 536, 480, 24, 0},
};

void PlaceStatic(const MainControls& controls, size_t index, UINT flags) {
  const RECT place = ScaleRect(controls.staticPlaces[index], controls.dpi);
  ::SetWindowPos(controls.*kStatics[index].field, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | flags);
}

HBRUSH LoadBackground(int dpi) { return LoadSkinImage(::GetModuleHandleW(nullptr), IMG_BACKGROUND, dpi); }

}  // namespace

HFONT CreateSkinFont(int height) {
  return ::CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Segoe UI");
}

void BuildMainControls(MainControls& controls, HWND mainWindow) {
  controls.dpi = WindowDpi(mainWindow);
  controls.background.reset(LoadBackground(controls.dpi));
  CreateSkinButtons(controls.buttons, mainWindow, controls.dpi);
  controls.staticsFont.reset(CreateSkinFont(controls.Scale(kStaticsFontHeight)));
  controls.titleFont.reset(CreateSkinFont(controls.Scale(kTitleFontHeight)));
  controls.progress = CreateProgressControl(mainWindow);
  for (size_t i = 0; i < kStaticCount; ++i) {
    const StaticSpec& row = kStatics[i];
    controls.staticPlaces[i] = RECT{row.x, row.y, row.x + row.width, row.y + row.height};
    const RECT place = ScaleRect(controls.staticPlaces[i], controls.dpi);
    HWND control =
        ::CreateWindowExW(0, L"STATIC", L"", row.style, place.left, place.top, place.right - place.left,
                          place.bottom - place.top, mainWindow,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.controlId)), nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(controls.staticsFont.get()), FALSE);
    controls.*row.field = control;
  }

  ::PostMessageW(mainWindow, WM_STARTUP_CHECK, 0, 0);
}

void MoveStatic(MainControls& controls, HWND control, const RECT& place) {
  for (size_t i = 0; i < kStaticCount; ++i) {
    if (controls.*kStatics[i].field != control) continue;
    controls.staticPlaces[i] = place;
    ::ShowWindow(control, SW_SHOW);
    PlaceStatic(controls, i, 0);
  }
}

void ApplyMainControlsDpi(MainControls& controls, int dpi) {
  controls.dpi = dpi;
  if (UniqueBrush background{LoadBackground(dpi)}) controls.background = std::move(background);
  ApplySkinButtonsDpi(controls.buttons, dpi);
  // The statics take the new font before the old one goes.
  UniqueFont font(CreateSkinFont(controls.Scale(kStaticsFontHeight)));
  for (size_t i = 0; i < kStaticCount; ++i) {
    PlaceStatic(controls, i, SWP_NOACTIVATE);
    ::SendMessageW(controls.*kStatics[i].field, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  }
  controls.staticsFont = std::move(font);
  controls.titleFont.reset(CreateSkinFont(controls.Scale(kTitleFontHeight)));
  if (controls.progress) SetProgressDpi(*controls.progress, dpi);
}

}  // namespace sl
