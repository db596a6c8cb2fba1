#include "install/install_worker_win.h"

#include <windows.h>

#include <algorithm>
#include <system_error>
#include <thread>

#include "app/messages.h"
#include "base/ascii.h"
#include "base/format.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "install/launch_win.h"
#include "install/md5_win.h"
#include "install/tracking_id.h"
#include "manifest/manifest_win.h"
#include "store/file_system_win.h"
#include "store/local_paths.h"
#include "store/local_store_win.h"
#include "telemetry/tracking_report_win.h"

namespace sl {
namespace {

constexpr char kSource[] = "StormlineHelper";
constexpr char kNoSetupName[] = "";

void PostResult(const InstallState& state, bool ok, const char* setupName) {
  ::PostMessageW(static_cast<HWND>(state.mainWindow), WM_INSTALL_RESULT, ok ? 1 : 0,
                 reinterpret_cast<LPARAM>(setupName));
}

void RereadVersions(InstallState& state) {
  state.installedVersion = 0;
  if (!state.installDir.empty()) {
    state.installedVersion = ReadInstalledVersion(state.installDir);
    state.targetVersion = state.installedVersion;
  }
}

std::string OwnExePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : Narrow(std::wstring_view(path, length));
}

// Runs the setup program while holding it locked; its exit code, or nothing when it did not run.
std::optional<DWORD> RunLockedSetup(FileItem& setup, const std::string& path, const std::string& parameters) {
  UniqueFile lock = LockForLaunch(path);
  if (lock && !setup.md5.empty()) {
    const std::string digest = GetFileMd5(lock.get(), setup.size, nullptr);
    if (_stricmp(digest.c_str(), setup.md5.c_str()) != 0) {
      WriteLog(kSource, 0, Format("Setup program changed after its check, not started: %s", path.c_str()));
      return std::nullopt;
    }
  }
  UniqueKernelHandle process = CreateShellExecute(path, Paths().downloadDir, parameters);
  lock.reset();  // the image is mapped now; the file can no longer change under it
  if (!process) return std::nullopt;
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) exitCode = ::GetLastError();
  return exitCode;
}

void InstallWorker(InstallState& state, FileList& list) {
  // By the file name, which is the URL's path without a query: "setup.exe?v=2" is the program.
  auto found = std::find_if(list.items.begin(), list.items.end(),
                            [](const auto& item) { return item && EndsWithNoCase(item->fileName, ".exe"); });
  if (found == list.items.end()) {
    PostResult(state, false, kNoSetupName);
    return;
  }
  FileItem& setup = **found;
  const std::string path = GetItemLocalPath(setup);
  const InstallMode mode = GetInstallMode(state.latestVersion, state.installedVersion, state.minimalVersion);
  if (mode == MODE_NONE || mode == MODE_CURRENT) {
    PostResult(state, true, setup.fileName.c_str());
    return;
  }
  if (mode == MODE_FULL) state.trackingId = FindTrackingId(OwnExePath());
  const std::string parameters = Format("/SILENT /DIR=\"%s\"", state.installDir.c_str());
  (void)EnsureDownloadDir();

  const std::optional<DWORD> exitCode = RunLockedSetup(setup, path, parameters);
  if (exitCode == 0u) {
    if (mode == MODE_FULL && !state.trackingId.empty()) StartTrackingReport(state.trackingId);
    if (mode == MODE_FULL) {
      RereadVersions(state);
    } else if (!state.installDir.empty()) {
      // The views judge the mode by the installed release: without this, a finished patch chain
      // would still offer an update from the release it started at. Only a higher release is
      // taken, and targetVersion stays as planned: a patch that leaves "version.dat" missing or
      // behind neither turns the run into a full install nor makes the chain repeat.
      state.installedVersion = std::max(state.installedVersion, ReadInstalledVersion(state.installDir));
    }
    PostResult(state, true, setup.fileName.c_str());
    return;
  }
  if (exitCode) WriteLog(kSource, *exitCode, Format("Exits with code %d", static_cast<int>(*exitCode)));
  // The controller then plans from the installed release, so the same step comes again.
  if (mode == MODE_FULL) RereadVersions(state);
  PostResult(state, false, setup.fileName.c_str());
}

}  // namespace

bool StartInstallWorker(InstallState& state, FileList& list) {
  try {
    std::thread([&state, &list] { InstallWorker(state, list); }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

UniqueFile LockForLaunch(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return UniqueFile();
  return UniqueFile(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace sl
