// What the install pipeline's threads post to the main window.
#pragma once

#include "net/download_messages.h"

namespace sl {

// An MD5 check's verdict (1 or 0), after its WM_MD5_PROGRESS (net/download_messages.h): nobody acts
// on it.
inline constexpr unsigned WM_MD5_RESULT = 53;
// The install worker's verdict on one step: wParam 1 or 0, lParam the setup program's file name
// (UTF-8, owned by the worker's job, valid until the job is replaced).
inline constexpr unsigned WM_INSTALL_RESULT = 1104;
// Work off the window has ended (diag/worker_win.h); wParam the run's ticket. version.ini was read
// (at start-up, or again for a press), and a plan of the next step is done (WM_APP + 2, + 3).
inline constexpr unsigned WM_VERSIONS_READ = 32770;
inline constexpr unsigned WM_PLAN_DONE = 32771;
// A transfer beside the current file's has ended (WM_APP + 4): wParam its ticket, lParam 1 when
// its file is whole on disk, 0 when it failed.
inline constexpr unsigned WM_SIDE_DOWNLOAD_DONE = 32772;

}  // namespace sl
