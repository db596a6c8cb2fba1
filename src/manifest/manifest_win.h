// The release manifests on Windows: fetched with the HTTP client.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "diag/worker_win.h"
#include "manifest/file_list.h"
#include "manifest/step_planner.h"

namespace sl {

// The planner's environment: the download server through WinINet, folders, the system clock. The
// waits between the tries of a list count down on `window` (may be null) and end on `stop`.
[[nodiscard]] std::unique_ptr<PlannerEnv> MakeWinPlannerEnv(HWND window, const StopFlag* stop);

[[nodiscard]] UtcTime NowUtcTime();

// version.ini, tried again after transient failures for up to kStartupRetryBudgetMs, the waits
// counting down on `window` (may be null) and ended by `stop`; none when it could not be had.
[[nodiscard]] std::optional<std::string> FetchVersionManifest(HWND window, const StopFlag* stop);

// downloadDir\fileName, giving the item a timestamp name and creating the folder when needed.
[[nodiscard]] std::string GetItemLocalPath(FileItem& item);

}  // namespace sl
