// Which release step comes next (a patch list or a full list), decided against an environment
// that reaches the network and the disk: Win32 in the program, a fake in the unit tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "install/install_state.h"
#include "manifest/file_list.h"
#include "manifest/version_manifest.h"

namespace sl {

class PlannerEnv {
 public:
  virtual ~PlannerEnv() = default;

  // The body of a GET request; no result when the request fails, and errorCode then says why
  // (the Win32 implementation reads GetLastError at once, before anything can overwrite it).
  virtual std::optional<std::string> FetchText(const std::string& url, uint32_t& errorCode) = 0;
  // Bytes of every file below folder; 0 when it is missing or empty.
  virtual uint64_t FolderSize(const std::string& folder) = 0;
  // Creates folder and its missing parents; failures are ignored.
  virtual void CreateFolderTree(const std::string& folder) = 0;
  virtual UtcTime NowUtc() = 0;
  // Text for an attached debugger; never shown to the player.
  virtual void DebugOutput(const std::string& text) = 0;
  // The download server, without a trailing "/".
  virtual std::string BaseUrl() = 0;
};

// Results of PlanNextStep other than a version number.
inline constexpr int32_t kPlanNothingToDo = 0;
inline constexpr int32_t kPlanNoLatestVersion = -1;
inline constexpr int32_t kPlanNoFullList = -2;

// A patch whose backup folder already holds more than this is not fetched; the next one is tried.
inline constexpr uint64_t kMaxPatchBackupBytes = 100ull * 1024 * 1024;

// Log lines quote at most this much of a fetched list.
inline constexpr size_t kMaxLoggedListBytes = 4000;

// "1.50 GB", "2.00 MB", "3.25 KB" or "512 bytes" (binary units).
[[nodiscard]] std::string DescribeSize(uint64_t bytes);

// Empties list, then fills it from the file list at url. False, with list empty, when the list
// cannot be fetched, is empty, is refused (see ParseFileList) or has no items. Every step is logged.
[[nodiscard]] bool FetchFileList(PlannerEnv& env, const std::string& url, FileList& list);

// Fetches the patch list of version number into list unless its backup folder
// (<installDir>\backup\<number>, created here) is too big. Success makes number the target.
[[nodiscard]] bool FetchPatchList(InstallState& state, PlannerEnv& env, int32_t number, FileList& list);

// Fetches the list of the next step into list and returns its version, which is also the new
// targetVersion; otherwise kPlanNothingToDo (up to date, or no patch found), kPlanNoLatestVersion
// (the manifest gave none) or kPlanNoFullList. A patch follows the highest version reached (the
// installed one at first); a full install takes the newest of the last ten full lists.
[[nodiscard]] int32_t PlanNextStep(InstallState& state, PlannerEnv& env, FileList& list);

}  // namespace sl
