// The thread that installs one downloaded step: runs its setup program elevated and reports.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/unique_handle_win.h"
#include "install/install_job.h"

namespace sl {

// Starts the worker on `job`; false when its thread could not be started. The worker fills the
// job's outcome and then posts WM_INSTALL_RESULT (1 or 0, the job's setupName) to `window`, trying
// again while the window lives and its queue is full: a lost verdict would leave the run
// installing forever.
[[nodiscard]] bool StartInstallWorker(HWND window, std::shared_ptr<InstallJob> job);

// Opens a file so that nobody can write, rename or delete it while the handle lives: the setup
// program that was verified is the one that runs elevated.
[[nodiscard]] UniqueFile LockForLaunch(const std::string& path);

}  // namespace sl
