#include "selfupdate/self_update_win.h"

#include <windows.h>

#include "base/build_info.h"
#include "base/format.h"
#include "base/path.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "install/launch_win.h"
#include "net/http_helper_win.h"
#include "selfupdate/hand_over_win.h"
#include "selfupdate/package_file_win.h"
#include "selfupdate/update_rules.h"
#include "store/file_system_win.h"
#include "store/local_paths.h"
#include "store/path_helpers.h"

namespace sl {
namespace {

constexpr char kCheckSource[] = "CheckSelfUpdate";
constexpr char kApplySource[] = "ApplyUpdate";

// A package file that is not a whole program (a write cut short, or anything else under that
// name) must never reach the main file: it is removed and the package is fetched again.
bool PackageReady(const std::string& packagePath) {
  if (!FileExists(packagePath)) return false;
  if (JudgePackageFile(packagePath, std::nullopt) == PackageVerdict::Ready) return true;
  WriteLog(kCheckSource, 0, Format("Gói cập nhật không dùng được, xóa: %s", packagePath.c_str()));
  ::DeleteFileW(Widen(packagePath).c_str());
  return false;
}

// The main file offers the update; on Yes it starts a copy of itself that replaces it.
bool HandOverToCopy(const SelfUpdateRequest& request) {
  const std::string prompt = UpdatePrompt(request.serverVersion);
  if (::MessageBoxW(nullptr, Widen(prompt).c_str(), Widen(request.caption).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDNO) {
    return false;
  }
  const LocalPaths& paths = Paths();
  const std::string copyName = MakeBinName();
  WaitForProcessExit(copyName);
  // Failing when the copy exists: an old copy that could not be removed is started instead.
  ::CopyFileW(Widen(JoinPath(paths.exeDir, paths.exeName)).c_str(),
              Widen(JoinPath(paths.exeDir, copyName)).c_str(), TRUE);
  if (!RunProgram(paths.exeDir, copyName)) {
    // Ending now would leave the player with nothing running; the installer goes on instead.
    WriteLog(kCheckSource, ::GetLastError(), Format("Không chạy được %s", copyName.c_str()));
    return false;
  }
  return true;
}

}  // namespace

std::string FetchLauncherManifest(const StopFlag* stop) {
  // A failed fetch logs itself and leaves the text empty: no update.
  const std::string text = FetchTextWithRetries(LauncherManifestUrl(DownloadBaseUrl(), OwnVersionNumber()),
                                                nullptr, stop, kStartupRetryBudgetMs, kCheckSource)
                               .value_or(std::string());
  ::OutputDebugStringW(Widen(text).c_str());
  return text;
}

bool CheckSelfUpdate(SelfUpdateRequest& request, const std::string& launcherManifest) {
  request.serverVersion = ParseLauncherVersion(launcherManifest);
  const LocalPaths& paths = Paths();
  ::SetCurrentDirectoryW(Widen(paths.exeDir).c_str());

  switch (DecideCheck(request.serverVersion, OwnVersionNumber(), RoleOf(paths.exeName))) {
    case CheckOutcome::Continue: {
      const std::string copyPath = JoinPath(paths.exeDir, MakeBinName());
      if (FileExists(copyPath)) ::DeleteFileW(Widen(copyPath).c_str());
      return false;
    }
    case CheckOutcome::AskPlayer:
      if (!HandOverToCopy(request)) return false;
      ::ExitProcess(0);
    case CheckOutcome::ApplyOrDownload: {
      const std::string packagePath = JoinPath(paths.exeDir, MakeZipName(request.serverVersion));
      if (!PackageReady(packagePath)) return true;
      ApplyUpdate(paths.exeDir, MakeExeName(), packagePath, paths.exeName);
      ::ExitProcess(0);
    }
    case CheckOutcome::Download:
      break;
  }
  return true;
}

bool ApplyUpdate(const std::string& folder, const std::string& target, const std::string& package,
                 const std::string& ownName) {
  WaitForProcessExit(target);
  const std::wstring packagePath = Widen(package);
  if (!::CopyFileW(packagePath.c_str(), Widen(JoinPath(folder, target)).c_str(), FALSE)) {
    const DWORD error = ::GetLastError();
    WriteLog(kApplySource, error, Format("CopyFileW %s -> %s", package.c_str(), target.c_str()));
    ::MessageBoxW(nullptr, Widen(ApplyErrorText(error)).c_str(), Widen(kApplyErrorCaption).c_str(),
                  MB_ICONERROR);
    return false;
  }
  if (!RunProgram(folder, target)) {
    WriteLog(kApplySource, ::GetLastError(), Format("Không chạy được %s", target.c_str()));
  }
  const std::wstring wideOwnName = Widen(ownName);
  const std::wstring targetName = Widen(target);
  if (::CompareStringOrdinal(wideOwnName.c_str(), static_cast<int>(wideOwnName.size()), targetName.c_str(),
                             static_cast<int>(targetName.size()), TRUE) != CSTR_EQUAL) {
    ::DeleteFileW(Widen(JoinPath(folder, ownName)).c_str());
  }
  ::DeleteFileW(packagePath.c_str());
  return true;
}

}  // namespace sl
