// Starting other programs: setup programs and the game's patcher (elevated), and plain launches.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/unique_handle_win.h"
#include "store/install_state.h"

namespace sl {

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
