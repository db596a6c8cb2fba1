// The small window in which the copy of the program downloads its new version.
#pragma once

#include "selfupdate/self_update_win.h"

namespace sl {

// Shows the window, downloads the package of request.serverVersion beside the executable and runs
// the window's message loop (which also serves the main window). Once the download ends, its
// worker applies the package or reports the failure, and ends the process. Returns only when the
// player closed the window first: the download stops and the installer goes on.
void ShowSelfUpdateWindow(const SelfUpdateRequest& request);

}  // namespace sl
