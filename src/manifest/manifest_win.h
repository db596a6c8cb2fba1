// The manifests on Windows: the planner's environment (fetches, the download folder, the disk) and the size
// of a folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "diag/worker_win.h"
#include "manifest/file_list.h"
#include "manifest/step_planner.h"

namespace sl {

// The release manifests on Windows: fetched with the HTTP client.

// The planner's environment: the download server through WinINet, folders, the system clock. The
// waits between the tries of a list count down on `window` (may be null) and end on `stop`.
[[nodiscard]] std::unique_ptr<PlannerEnv> MakeWinPlannerEnv(HWND window, const StopFlag* stop);

[[nodiscard]] UtcTime NowUtcTime();

// version.ini, tried again after transient failures for up to kStartupRetryBudgetMs, the waits
// counting down on `window` (may be null) and ended by `stop`; none when it could not be had.
[[nodiscard]] std::optional<std::string> FetchVersionManifest(HWND window, const StopFlag* stop);

// downloadDir\fileName, giving the item a timestamp name and creating the folder when needed.
[[nodiscard]] std::string GetItemLocalPath(FileItem& item);

// How much a folder holds on disk, for the planner's backup-folder check.

// start plus the sizes of every file below folder. Folders that are reparse points (junctions,
// symbolic links) are counted as empty and not entered: a link to a parent would otherwise loop
// forever, and a link elsewhere does not hold our bytes. Unreadable folders count as empty.
[[nodiscard]] uint64_t GetFolderSize(std::string_view folder, uint64_t start = 0);

}  // namespace sl
