// The main window's two views: idle (by install mode) and progress.
#pragma once

namespace sl {

struct AppState;

// busy: the progress view; otherwise the idle view of the current install mode.
void ShowView(AppState& app, bool busy);

}  // namespace sl
