// The self-update check at start-up and the final replacement of the main file.
#pragma once

#include <cstdint>
#include <string>

#include "base/worker_win.h"

namespace sl {

struct SelfUpdateRequest {
  int32_t serverVersion = 0;  // newest version on the server; 0 when unknown
  std::string caption;        // "<title> - 1.0.2.5", the caption of the self-update's messages
};

// The launcher manifest, tried again after transient failures for up to kStartupRetryBudgetMs (a
// stop ends the waits); empty when it could not be had. Off the window's thread.
[[nodiscard]] std::string FetchLauncherManifest(const StopFlag* stop);

// Acts on the launcher manifest. False: the installer goes on (nothing newer, the player said No,
// or the hand-over could not start). True: the self-update window must download the package now.
// A hand-over or a replacement ends the process (exit 0) instead of returning. Afterwards the
// current folder is the executable's folder.
[[nodiscard]] bool CheckSelfUpdate(SelfUpdateRequest& request, const std::string& launcherManifest);

// Writes `package` over folder\target, starts it, and removes the package and, when it is not
// the target, this program's own file `ownName` (refused while it runs; a later check removes it).
// On a failed copy the player is told why and the package stays. The package must have been
// judged Ready (package_rules.h). Any thread: it reads nothing but its arguments.
bool ApplyUpdate(const std::string& folder, const std::string& target, const std::string& package,
                 const std::string& ownName);

}  // namespace sl
