// The install pipeline's reaction to the main window's messages (UI thread only).
#pragma once

#include <windows.h>

namespace sl {

struct AppState;

void OnInstallMessage(AppState& app, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace sl
