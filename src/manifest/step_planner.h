// Which release step comes next (a patch list or a full list), decided against an environment
// that reaches the network and the disk: Win32 in the program, a fake in the unit tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "manifest/file_list.h"
#include "manifest/version_manifest.h"
#include "net/transfer_rules.h"
#include "store/install_state.h"

namespace sl {

// Besides the network and the disk, the clock and waits of the retries of a list (transfer_rules.h).
class PlannerEnv : public RetryEnv {
 public:
  // One try of one GET request.
  virtual FetchedText FetchText(const std::string& url) = 0;
  // Bytes of every file below folder; 0 when it is missing or empty.
  virtual uint64_t FolderSize(const std::string& folder) = 0;
  // Creates folder and its missing parents; failures are ignored.
  virtual void CreateFolderTree(const std::string& folder) = 0;
  virtual UtcTime NowUtc() = 0;
  // Text for an attached debugger; never shown to the player.
  virtual void DebugOutput(const std::string& text) = 0;
  // The download server, without a trailing "/".
  virtual std::string BaseUrl() = 0;

  // The player's text for the last list the program refused to fetch (a redirect to clear text,
  // say); FetchFileList writes it.
  std::string lastRefusal;
};

// Results of PlanNextStep other than a version number.
inline constexpr int32_t kPlanNothingToDo = 0;
inline constexpr int32_t kPlanNoLatestVersion = -1;
inline constexpr int32_t kPlanNoFullList = -2;
// A list the server has but that cannot be used (a failed transfer, a server error, an empty or
// refused list): the run stops there, as the next list would install over a missing release.
inline constexpr int32_t kPlanListFailed = -3;

// A patch whose backup folder already holds more than this is not fetched; the next one is tried.
inline constexpr uint64_t kMaxPatchBackupBytes = 100ull * 1024 * 1024;

// The patch search gives up after this many missing lists in a row: an absurd latest version must
// not cost a request, a folder and two log lines per release number.
inline constexpr int32_t kMaxMissingPatchLists = 64;

// Log lines quote at most this much of a fetched list.
inline constexpr size_t kMaxLoggedListBytes = 4000;

// "1.50 GB", "2.00 MB", "3.25 KB" or "512 bytes" (binary units).
[[nodiscard]] std::string DescribeSize(uint64_t bytes);

enum class ListFetch {
  Loaded,   // the list is in the file list
  Missing,  // the server has no such list (404 or 410): the planner may look further
  Failed,   // anything else, after the transient failures were waited out; the file list is empty
};

// Empties list, then fills it from the file list at url, trying again after transient failures
// for up to kRetryBudgetMs. Every step is logged. A server that refuses the list (403, say) or is
// too busy to give it leaves it Failed, never Missing: a busy CDN must not make a patch be skipped.
[[nodiscard]] ListFetch FetchFileList(PlannerEnv& env, const std::string& url, FileList& list);

// Fetches the patch list of version number into list unless its backup folder
// (<installDir>\backup\<number>, created here) is too big, which counts as Missing. Loaded makes
// number the target.
[[nodiscard]] ListFetch FetchPatchList(InstallState& state, PlannerEnv& env, int32_t number, FileList& list);

// Fetches the list of the next step into list and returns its version, which is also the new
// targetVersion; otherwise kPlanNothingToDo (up to date, or no patch found), kPlanNoLatestVersion
// (the manifest gave none), kPlanNoFullList or kPlanListFailed. A patch follows the highest version
// reached (the installed one at first); a full install takes the newest of the last ten full
// lists. Only a missing list is passed over, never one that failed, and at most
// kMaxMissingPatchLists of them in a row.
[[nodiscard]] int32_t PlanNextStep(InstallState& state, PlannerEnv& env, FileList& list);

}  // namespace sl
