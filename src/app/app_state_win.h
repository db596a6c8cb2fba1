// The one application state record, reachable from the window procedure and the controller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/unique_handle_win.h"
#include "install/controller.h"
#include "store/install_state.h"
#include "net/http_helper_win.h"
#include "ui/progress_control_win.h"
#include "ui/skin_buttons_win.h"

namespace sl {

inline constexpr uint16_t kNoStartButton = 0xFFFF;

struct AppState {
  HWND mainWindow = nullptr;
  uint16_t activeStartButton = kNoStartButton;
  std::unique_ptr<ProgressControl> progress;
  std::unique_ptr<MSHTTPHelper> downloadHelper;  // made by the first run start
  std::unique_ptr<InstallState> install;
  std::unique_ptr<InstallControllerEnv> controllerEnv;
  std::unique_ptr<InstallController> controller;  // reacts to the pipeline's messages
  HWND installDirField = nullptr;
  HWND installDirLabel = nullptr;
  HWND versionLabel = nullptr;
  HWND downloadDirField = nullptr;
  HWND downloadDirLabel = nullptr;
  SkinButtons buttons;

  // GDI objects that live as long as the main window.
  UniqueFont staticsFont;
  UniqueBrush fieldBrush;  // background of the folder fields
  UniqueBrush labelBrush;  // background of the captions and the version text
};

// Null until start-up creates the record, just before the main window.
AppState* TheApp();
void SetTheApp(AppState* app);

// The executable's instance handle, for resources and dialogs.
HINSTANCE AppInstance();
void SetAppInstance(HINSTANCE instance);

}  // namespace sl
