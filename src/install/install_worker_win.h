// The install worker and the elevated launches: the setup program held and run for a step, and the game's
// patcher.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/unique_handle_win.h"
#include "install/install_job.h"
#include "store/install_state.h"

namespace sl {

// The thread that installs one downloaded step: runs its setup program elevated and reports.

// Starts the worker on `job`; false when its thread could not be started. The worker fills the
// job's outcome and then posts WM_INSTALL_RESULT (1 or 0, the job's setupName) to `window`, trying
// again while the window lives and its queue is full: a lost verdict would leave the run
// installing forever.
[[nodiscard]] bool StartInstallWorker(HWND window, std::shared_ptr<InstallJob> job);

// Opens a file so that nobody can write, rename or delete it while the handle lives: the setup
// program that was verified is the one that runs elevated.
[[nodiscard]] UniqueFile LockForLaunch(const std::string& path);

// Starting other programs: setup programs and the game's patcher (elevated), and plain launches.

// Runs `program` elevated ("runas") through the shell and hands back its process handle, which
// may be empty when the shell started no new process or the launch failed (both are logged).
[[nodiscard]] UniqueKernelHandle CreateShellExecute(const std::string& program, const std::string& directory,
                                                    const std::optional<std::string>& parameters);

// Starts installDir\patcher_sl2.exe and closes `owner`; when it cannot be started, the
// installed version is read again and the window stays.
void LaunchGamePatcher(HWND owner, InstallState& state);

// Starts directory\fileName as a plain process in that directory, without waiting for it.
// False when it could not be started, or when the path is longer than MAX_PATH - 1 characters
// (refused rather than cut, which could start another program).
[[nodiscard]] bool RunProgram(const std::string& directory, const std::string& fileName);

}  // namespace sl
