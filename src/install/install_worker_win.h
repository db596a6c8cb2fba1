// The thread that installs one downloaded step: runs its setup program elevated and reports.
#pragma once

#include <string>

#include "base/unique_handle_win.h"
#include "store/install_state.h"
#include "manifest/file_list.h"

namespace sl {

// Starts the worker; false when its thread could not be started. The worker posts
// WM_INSTALL_RESULT (1 or 0, the setup program's file name as a UTF-8 text) to the main window.
// The caller leaves `state` and `list` alone until that message arrives.
[[nodiscard]] bool StartInstallWorker(InstallState& state, FileList& list);

// Opens a file so that nobody can write, rename or delete it while the handle lives: the setup
// program that was verified is the one that runs elevated.
[[nodiscard]] UniqueFile LockForLaunch(const std::string& path);

}  // namespace sl
