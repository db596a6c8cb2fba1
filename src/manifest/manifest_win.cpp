#include "manifest/manifest_win.h"

#include "base/build_info.h"
#include "base/path.h"
#include "base/text_win.h"
#include "manifest/folder_size_win.h"
#include "manifest/version_manifest.h"
#include "net/http_helper_win.h"
#include "net/retry_wait_win.h"
#include "store/file_system_win.h"
#include "store/local_store_win.h"

namespace sl {
namespace {

class WinPlannerEnv final : public PlannerEnv {
 public:
  WinPlannerEnv(HWND window, const StopFlag* stop) : retry_(window, stop) {}

  FetchedText FetchText(const std::string& url) override { return FetchTextOnce(url); }
  uint64_t FolderSize(const std::string& folder) override { return GetFolderSize(folder); }
  void CreateFolderTree(const std::string& folder) override { sl::CreateFolderTree(folder); }
  UtcTime NowUtc() override { return NowUtcTime(); }
  void DebugOutput(const std::string& text) override { ::OutputDebugStringW(Widen(text).c_str()); }
  std::string BaseUrl() override { return DownloadBaseUrl(); }
  uint64_t SteadyMs() override { return retry_.SteadyMs(); }
  double Jitter() override { return retry_.Jitter(); }
  bool WaitToRetry(uint64_t delayMs, FailureKind why) override { return retry_.WaitToRetry(delayMs, why); }

 private:
  WinRetryEnv retry_;
};

}  // namespace

std::unique_ptr<PlannerEnv> MakeWinPlannerEnv(HWND window, const StopFlag* stop) {
  return std::make_unique<WinPlannerEnv>(window, stop);
}

UtcTime NowUtcTime() {
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::optional<std::string> FetchVersionManifest(HWND window, const StopFlag* stop) {
  return FetchTextWithRetries(VersionManifestUrl(DownloadBaseUrl(), NowUtcTime()), window, stop,
                              kStartupRetryBudgetMs, kManifestLogSource);
}

std::string GetItemLocalPath(FileItem& item) {
  MakeTempName(item, NowUtcTime());
  return JoinPath(EnsureDownloadDir(), item.fileName);
}

}  // namespace sl
