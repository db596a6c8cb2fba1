#include "ui/main_controls_win.h"

#include "ui/window_messages.h"

namespace sl {
namespace {

struct StaticSpec {
  HWND MainControls::*field;
  DWORD style;
  int x, y, width, height;
  int controlId;
};

// Fixed positions of the five static texts, in creation order.
constexpr StaticSpec kStatics[] = {
    {&MainControls::installDirField, WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE, 290, 510, 480, 24,
     31},
    {&MainControls::installDirLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20, 290, 486, 320, 24, 0},
    {&MainControls::versionLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20 | SS_RIGHT, 610, 486, 160, 24,
     0},
    {&MainControls::downloadDirField, WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTERIMAGE, 290, 560, 480, 24,
     32},
    {&MainControls::downloadDirLabel, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | 0x20, 290, 536, 480, 24, 0},
};

}  // namespace

HFONT CreateSkinFont(int height) {
  return ::CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Segoe UI");
}

void BuildMainControls(MainControls& controls, HWND mainWindow) {
  CreateSkinButtons(controls.buttons, mainWindow);
  controls.staticsFont.reset(CreateSkinFont(14));
  controls.progress = CreateProgressControl(mainWindow);
  for (const StaticSpec& row : kStatics) {
    HWND control =
        ::CreateWindowExW(0, L"STATIC", L"", row.style, row.x, row.y, row.width, row.height, mainWindow,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.controlId)), nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(controls.staticsFont.get()), FALSE);
    controls.*row.field = control;
  }

  ::PostMessageW(mainWindow, WM_STARTUP_CHECK, 0, 0);
}

}  // namespace sl
