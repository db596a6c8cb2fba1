// Creation of the main window's child controls.
#pragma once

#include <windows.h>

namespace sl {

struct AppState;

// The WM_CREATE work: fills `app`, creates the static texts and their font, and posts
// WM_STARTUP_CHECK as its last act so detection runs once a message loop pumps.
void BuildMainControls(AppState& app, HWND mainWindow);

// "Segoe UI" bold of the given height, as every text of the main window uses.
[[nodiscard]] HFONT CreateSkinFont(int height);

}  // namespace sl
