#include "manifest/manifest_win.h"

#include <windows.h>

#include <string>

#include "base/build_info.h"
#include "base/path.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "manifest/version_manifest.h"
#include "net/http_helper_win.h"
#include "net/retry_wait_win.h"
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

namespace {

uint64_t AddFolder(const std::wstring& folder, uint64_t total) {
  const std::wstring prefix = folder.ends_with(L'\\') ? folder : folder + L'\\';
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(::FindFirstFileW((prefix + L'*').c_str(), &found));
  if (!find) return total;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      total += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      total = AddFolder(prefix + found.cFileName, total);
    }
  } while (::FindNextFileW(find.get(), &found));
  return total;
}

}  // namespace

uint64_t GetFolderSize(std::string_view folder, uint64_t start) {
  if (folder.empty()) return start;  // "\*" would list the root of the current drive
  return AddFolder(Widen(folder), start);
}

}  // namespace sl
