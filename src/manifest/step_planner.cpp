#include "manifest/step_planner.h"

#include "base/text.h"
#include "diag/log.h"
#include "manifest/file_list.h"

namespace sl {
namespace {

constexpr int32_t kFullListsTried = 10;

}  // namespace

std::string DescribeSize(uint64_t bytes) {
  const auto value = static_cast<double>(bytes);
  if (bytes >= 1024ull * 1024 * 1024) return Format("%.2f GB", value / (1024.0 * 1024 * 1024));
  if (bytes >= 1024ull * 1024) return Format("%.2f MB", value / (1024.0 * 1024));
  if (bytes < 1024) return Format("%llu bytes", static_cast<unsigned long long>(bytes));
  return Format("%.2f KB", value / 1024.0);
}

ListFetch FetchFileList(PlannerEnv& env, const std::string& url, FileList& list) {
  WriteLog(kManifestLogSource, 0, "Start get " + url);
  ClearFileList(list);
  env.lastRefusal.clear();  // only the fetch that ends the plan speaks to the player
  const FetchedText fetched =
      FetchWithRetries([&] { return env.FetchText(url); }, env, kRetryBudgetMs, url, kManifestLogSource);
  if (!fetched.body) {
    if (!fetched.refusal.empty()) env.lastRefusal = fetched.refusal;
    WriteLog(kManifestLogSource, 0,
             Format(">GetTextFromUrlW %s - %d ", url.c_str(), static_cast<int>(fetched.errorCode)));
    // The server answered that it has no such list; anything else may hide one that exists.
    return fetched.httpStatus == 404 || fetched.httpStatus == 410 ? ListFetch::Missing : ListFetch::Failed;
  }
  const std::string& text = *fetched.body;
  if (text.empty()) {
    WriteLog(kManifestLogSource, 0, ">GetTextFromUrlW " + url + " txtOuput.empty()");
    return ListFetch::Failed;
  }
  std::string logged = "GetTextFromUrlW " + url + " , " + ClipUtf8(text, kMaxLoggedListBytes);
  if (text.size() > kMaxLoggedListBytes) {
    logged += " [" + std::to_string(text.size()) + " bytes, only the start logged]";
  }
  WriteLog(kManifestLogSource, 0, logged);

  std::optional<std::vector<FileItem>> items = ParseFileList(text);
  if (!items) return ListFetch::Failed;
  for (FileItem& item : *items) AddFileItem(list) = std::move(item);
  return list.items.empty() ? ListFetch::Failed : ListFetch::Loaded;
}

ListFetch FetchPatchList(InstallState& state, PlannerEnv& env, int32_t number, FileList& list) {
  const std::string folder = Format("%s\\backup\\%d", state.installDir.c_str(), static_cast<int>(number));
  env.CreateFolderTree(folder);
  const uint64_t total = env.FolderSize(folder);
  if (total != 0) env.DebugOutput(DescribeSize(total));
  if (total > kMaxPatchBackupBytes) return ListFetch::Missing;
  const ListFetch result = FetchFileList(env, PatchListUrl(env.BaseUrl(), number, env.NowUtc()), list);
  if (result == ListFetch::Loaded) state.targetVersion = number;
  return result;
}

int32_t PlanNextStep(InstallState& state, PlannerEnv& env, FileList& list) {
  const int32_t latest = state.latestVersion;
  const int32_t installed = state.installedVersion;
  if (latest == state.targetVersion) return kPlanNothingToDo;
  if (latest == 0) return kPlanNoLatestVersion;
  if (installed == latest) return kPlanNothingToDo;

  if (installed != 0 && installed >= state.minimalVersion) {
    if (state.targetVersion == 0) state.targetVersion = installed;
    // Counted in 64 bits: a target of INT32_MAX must end the loop, not overflow into it.
    const int64_t first = int64_t{state.targetVersion} + 1;
    for (int64_t number = first; number <= latest; ++number) {
      if (number - first == kMaxMissingPatchLists) {
        WriteLog(kManifestLogSource, 0,
                 Format("Patch search stopped: no patch list from %lld to %lld, latest version %d",
                        static_cast<long long>(first), static_cast<long long>(number - 1),
                        static_cast<int>(latest)));
        break;
      }
      const ListFetch fetch = FetchPatchList(state, env, static_cast<int32_t>(number), list);
      if (fetch == ListFetch::Loaded) return state.targetVersion;
      if (fetch == ListFetch::Failed) return kPlanListFailed;
    }
    return kPlanNothingToDo;
  }

  if (latest <= 0) return kPlanNoFullList;
  const UtcTime time = env.NowUtc();  // one stamp for the whole search
  const std::string base = env.BaseUrl();
  // Version numbers start at 1: a latest version below 10 ends the search early.
  for (int32_t back = 0; back < kFullListsTried && latest - back >= 1; ++back) {
    const ListFetch fetch = FetchFileList(env, FullListUrl(base, latest - back, time), list);
    if (fetch == ListFetch::Failed) return kPlanListFailed;
    if (fetch == ListFetch::Loaded) {
      state.targetVersion = latest - back;
      return state.targetVersion;
    }
  }
  return kPlanNoFullList;
}

}  // namespace sl
