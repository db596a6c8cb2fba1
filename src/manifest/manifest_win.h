// The release manifests on Windows: fetched with the HTTP client.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "manifest/file_list.h"
#include "manifest/step_planner.h"
#include "store/install_state.h"

namespace sl {

// The planner's environment: the download server through WinINet, folders, the system clock.
[[nodiscard]] std::unique_ptr<PlannerEnv> MakeWinPlannerEnv();

[[nodiscard]] UtcTime NowUtcTime();

// Fetches version.ini and stores its four numbers; a failed fetch leaves them as they were.
void ReadVersionManifest(InstallState& state);

// PlanNextStep with the download server, the disk and the system clock.
[[nodiscard]] int32_t PlanNextStep(InstallState& state, FileList& list);

// downloadDir\fileName, giving the item a timestamp name and creating the folder when needed.
[[nodiscard]] std::string GetItemLocalPath(FileItem& item);

}  // namespace sl
