// The main window's child controls and the GDI objects that live as long as they do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/unique_handle_win.h"
#include "ui/progress_control_win.h"
#include "ui/skin_buttons_win.h"

namespace sl {

inline constexpr uint16_t kNoStartButton = 0xFFFF;

struct MainControls {
  HWND installDirField = nullptr;
  HWND installDirLabel = nullptr;
  HWND versionLabel = nullptr;
  HWND downloadDirField = nullptr;
  HWND downloadDirLabel = nullptr;
  SkinButtons buttons;
  std::unique_ptr<ProgressControl> progress;
  uint16_t activeStartButton = kNoStartButton;  // disabled while its run goes on

  UniqueFont staticsFont;
  UniqueBrush fieldBrush;  // background of the folder fields
  UniqueBrush labelBrush;  // background of the captions and the version text
};

// The WM_CREATE work: the buttons, the progress control and the static texts with their font,
// then WM_STARTUP_CHECK posted as the last act so detection runs once a message loop pumps.
void BuildMainControls(MainControls& controls, HWND mainWindow);

// "Segoe UI" bold of the given height, as every text of the main window uses.
[[nodiscard]] HFONT CreateSkinFont(int height);

}  // namespace sl
