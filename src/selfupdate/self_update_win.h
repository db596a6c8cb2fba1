// The self-update on Windows: the start-up check, the window that downloads the package, the
// hand-over between the program's copies, and the package file judged, kept or removed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"
#include "diag/worker_win.h"
#include "selfupdate/update_rules.h"

namespace sl {

// The self-update check at start-up and the final replacement of the main file.

struct SelfUpdateRequest {
  int32_t serverVersion = 0;  // newest version on the server; 0 when unknown
  std::string caption;        // "<title> - 1.0.2.5", the caption of the self-update's messages
  HWND owner = nullptr;       // the main window: it owns the question and the self-update window
  // The package's length and MD5 as the launcher manifest gives them; none or empty when not.
  std::optional<uint64_t> packageSize;
  std::string packageMd5;
};

// The launcher manifest, tried again after transient failures for up to kStartupRetryBudgetMs (a
// stop ends the waits); empty when it could not be had. Off the window's thread.
[[nodiscard]] std::string FetchLauncherManifest(const StopFlag* stop);

// Acts on the launcher manifest. False: the installer goes on (nothing newer, the player said No,
// or the hand-over could not start). True: the self-update window must download the package now.
// A hand-over or a replacement ends the process (exit 0) instead of returning. Afterwards the
// current folder is the executable's folder.
[[nodiscard]] bool CheckSelfUpdate(SelfUpdateRequest& request, const std::string& launcherManifest);

// Swaps `package` in for folder\target with one rename, never writing over the target in place,
// keeping the old program as "<base>.old" (the new one removes it once it has started). Then,
// holding the new program against writers, checks it once more (the manifest's length and MD5
// when given, the signature rule) and starts it; a program that fails that or does not start is
// replaced by the old one again, which is started, and the player is told. On success removes this
// program's own file `ownName` when it is not the target (refused while it runs; a later check
// removes it). On a failed swap the player is told why, the target is as it was and the package
// stays. The package must have been judged Ready (update_rules.h). Any thread: it reads nothing
// but its arguments.
bool ApplyUpdate(const std::string& folder, const std::string& target, const std::string& package,
                 const std::string& ownName, std::optional<uint64_t> packageSize,
                 const std::string& packageMd5);

// Waiting for the program that hands over to this one in a self-update.

// Waits until the first running process whose executable file name is `exeName` (any case; this
// process left out) has ended, at most 5000 ms. Returns at once when there is none; false when it
// still runs.
bool WaitForProcessExit(std::string_view exeName);

// When this process was started by its self-update predecessor (the main or the copy file beside
// it, started earlier and still ending), waits for that process to end, at most `timeoutMs`.
// Otherwise returns at once.
void WaitForPredecessor(DWORD timeoutMs);

// The package file on disk, judged by the package rules (update_rules.h).

// JudgePackage of the file at `path`; a file that cannot be read is NotExecutable (and logged).
[[nodiscard]] PackageVerdict JudgePackageFile(const std::string& path,
                                              std::optional<uint64_t> announcedLength);

// Whether the package read through `held` has the launcher manifest's length and MD5, each when
// the manifest names it.
[[nodiscard]] bool MatchesManifest(HANDLE held, std::optional<uint64_t> size, const std::string& md5);

// The small window in which the copy of the program downloads its new version: shows it, downloads
// the package of request.serverVersion beside the executable and runs the window's message loop
// (which also serves the main window). Once the download ends, its worker applies the package or
// reports the failure, and ends the process. Returns only when the player closed the window first:
// the download stops and the installer goes on.
void ShowSelfUpdateWindow(const SelfUpdateRequest& request);

}  // namespace sl
