// The install controller's environment on Windows: the main window's controls, the download
// helper, the file system, CryptoAPI and the install worker.
#pragma once

#include <memory>

#include "install/controller.h"

namespace sl {

struct AppState;

[[nodiscard]] std::unique_ptr<InstallControllerEnv> MakeWinControllerEnv(AppState& app);

}  // namespace sl
