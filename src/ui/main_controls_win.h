// The main window's child controls and the GDI objects that live as long as they do.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "base/unique_handle_win.h"
#include "ui/skin_rules.h"
#include "ui/progress_control_win.h"
#include "ui/skin_buttons_win.h"

namespace sl {

inline constexpr uint16_t kNoStartButton = 0xFFFF;
inline constexpr size_t kStaticCount = 5;

struct MainControls {
  HWND installDirField = nullptr;
  HWND installDirLabel = nullptr;
  HWND versionLabel = nullptr;
  HWND downloadDirField = nullptr;
  HWND downloadDirLabel = nullptr;
  SkinButtons buttons;
  std::unique_ptr<ProgressControl> progress;
  uint16_t activeStartButton = kNoStartButton;  // disabled while its run goes on

  // The main window's DPI: every place and font size above is written at 96 and scaled by it.
  int dpi = kBaseDpi;
  [[nodiscard]] int Scale(int value) const { return ScaleByDpi(value, dpi); }

  // Where each static text stands at 96 DPI, in the order of the five fields above.
  std::array<RECT, kStaticCount> staticPlaces{};

  UniqueBrush background;  // the skin picture, for the main window's DPI
  UniqueFont staticsFont;
  UniqueFont titleFont;    // the painted window title
  UniqueBrush fieldBrush;  // background of the folder fields
  UniqueBrush labelBrush;  // background of the captions and the version text
};

// The WM_CREATE work: the buttons, the progress control and the static texts with their font, all
// for the window's DPI, then WM_STARTUP_CHECK posted as the last act so detection runs once a
// message loop pumps.
void BuildMainControls(MainControls& controls, HWND mainWindow);

// Moves a static text to `place` (at 96 DPI), where it stays through DPI changes; and shows it.
void MoveStatic(MainControls& controls, HWND control, const RECT& place);

// WM_DPICHANGED: the pictures, places and fonts of every control again for the new DPI.
void ApplyMainControlsDpi(MainControls& controls, int dpi);

// "Segoe UI" bold of the given height, as every text of the main window uses.
[[nodiscard]] HFONT CreateSkinFont(int height);

}  // namespace sl
