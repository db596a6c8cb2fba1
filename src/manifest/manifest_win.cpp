#include "manifest/manifest_win.h"

#include <windows.h>

#include "base/build_info.h"
#include "base/path.h"
#include "base/text_win.h"
#include "manifest/folder_size_win.h"
#include "manifest/version_manifest.h"
#include "net/http_helper_win.h"
#include "store/file_system_win.h"
#include "store/local_store_win.h"

namespace sl {
namespace {

// One short-lived helper per text, as every manifest fetch is a fresh request.
FetchedText FetchText(const std::string& url) {
  auto helper = MSHTTPHelper::Init(nullptr);
  std::wstring text;
  FetchedText fetched;
  if (helper->GetTextFromUrlW(url, text)) {
    fetched.body = Narrow(text);
  } else {
    fetched.errorCode = helper->LastError();
  }
  fetched.httpStatus = helper->StatusCode();
  return fetched;
}

class WinPlannerEnv final : public PlannerEnv {
 public:
  FetchedText FetchText(const std::string& url) override { return sl::FetchText(url); }
  uint64_t FolderSize(const std::string& folder) override { return GetFolderSize(folder); }
  void CreateFolderTree(const std::string& folder) override { sl::CreateFolderTree(folder); }
  UtcTime NowUtc() override { return NowUtcTime(); }
  void DebugOutput(const std::string& text) override { ::OutputDebugStringW(Widen(text).c_str()); }
  std::string BaseUrl() override { return DownloadBaseUrl(); }
};

}  // namespace

std::unique_ptr<PlannerEnv> MakeWinPlannerEnv() { return std::make_unique<WinPlannerEnv>(); }

UtcTime NowUtcTime() {
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void ReadVersionManifest(InstallState& state) {
  const FetchedText fetched = FetchText(VersionManifestUrl(DownloadBaseUrl(), NowUtcTime()));
  ApplyVersionManifest(fetched.body.value_or(std::string()), state);
}

int32_t PlanNextStep(InstallState& state, FileList& list) {
  auto env = MakeWinPlannerEnv();
  return PlanNextStep(state, *env, list);
}

std::string GetItemLocalPath(FileItem& item) {
  MakeTempName(item, NowUtcTime());
  return JoinPath(EnsureDownloadDir(), item.fileName);
}

}  // namespace sl
