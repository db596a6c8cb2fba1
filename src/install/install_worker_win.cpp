#include "install/install_worker_win.h"

#include <shellapi.h>

#include <optional>

#include "base/path.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/window_messages.h"
#include "diag/log.h"
#include "diag/seh_guard_win.h"
#include "diag/thread_entry.h"
#include "diag/worker_win.h"
#include "install/install_job.h"
#include "install/install_rules.h"
#include "install/verify_win.h"
#include "store/local_store_win.h"
#include "telemetry/tracking_report_win.h"

namespace sl {

namespace {

constexpr char kSource[] = "StormlineHelper";

// Runs the setup program while holding it locked; its exit code, or nothing when it did not run.
// Held, it cannot change between its checks and its start.
std::optional<DWORD> RunLockedSetup(InstallJob& job) {
  const std::string parameters = Format("/SILENT /DIR=\"%s\"", job.installDir.c_str());
  UniqueFile lock = LockForLaunch(job.setupPath);
  if (!lock) {
    // Unheld, the file could change between its checks and its start: it is not started.
    WriteLog(kSource, ::GetLastError(),
             Format("Setup program cannot be held, not started: %s", job.setupPath.c_str()));
    return std::nullopt;
  }
  if (!job.setupMd5.empty()) {
    const std::string digest = GetFileMd5(lock.get(), job.setupSize, nullptr);
    if (!EqualsNoCase(digest, job.setupMd5)) {
      WriteLog(kSource, 0,
               Format("Setup program changed after its check, not started: %s", job.setupPath.c_str()));
      return std::nullopt;
    }
  }
  if (!SignedLikeThisProgram(job.setupPath, lock.get())) {
    job.refusal = SetupRefusedText(job.setupName);
    return std::nullopt;
  }
  UniqueKernelHandle process = CreateShellExecute(job.setupPath, job.downloadDir, parameters);
  lock.reset();  // the image is mapped now; the file can no longer change under it
  if (!process) return std::nullopt;
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) exitCode = ::GetLastError();
  return exitCode;
}

void Install(InstallJob& job) {
  if (job.setupPath.empty()) return;
  if (job.mode == MODE_NONE || job.mode == MODE_CURRENT) {
    job.ok = true;
    return;
  }
  if (job.mode == MODE_FULL) job.trackingId = FindTrackingId(job.ownExeName);
  const std::optional<DWORD> exitCode = RunLockedSetup(job);
  job.ok = exitCode == 0u;
  if (job.ok && job.mode == MODE_FULL && !job.trackingId.empty()) StartTrackingReport(job.trackingId);
  if (!job.ok && exitCode)
    WriteLog(kSource, *exitCode, Format("Exits with code %d", static_cast<int>(*exitCode)));
  // A patch's "version.dat" counts only after it succeeded; a full install's always, so a failed
  // one is planned again from what is really there.
  if (job.mode == MODE_FULL || job.ok) job.installedVersion = ReadInstalledVersion(job.installDir);
}

// Whatever ends the work, the verdict is posted: the run must not wait for it forever.
void RunWorker(HWND window, InstallJob& job) {
  if (!RunThreadEntry("InstallWorker", [&] { Install(job); })) job.ok = false;
  PostUntilTaken(window, WM_INSTALL_RESULT, job.ok ? 1 : 0, reinterpret_cast<LPARAM>(job.setupName.c_str()));
}

}  // namespace

bool StartInstallWorker(HWND window, std::shared_ptr<InstallJob> job) {
  return StartWorkerThread("InstallWorker", [window, job = std::move(job)] { RunWorker(window, *job); });
}

UniqueFile LockForLaunch(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return UniqueFile();
  return OpenFileForReading(wide->c_str());
}

namespace {

constexpr char kLaunchSource[] = "MStoreLocal";

}  // namespace

UniqueKernelHandle CreateShellExecute(const std::string& program, const std::string& directory,
                                      const std::optional<std::string>& parameters) {
  const std::string line = Format("CreateShellExecute: %s, %s , %s", program.c_str(), directory.c_str(),
                                  parameters ? parameters->c_str() : "(null)");
  WriteLog(kLaunchSource, 0, line);
  HANDLE process = nullptr;
  DWORD error = ERROR_SUCCESS;
  bool refused = false;
  // Only the shell call is guarded; its log entries are written outside, after it.
  const bool survived = RunGuarded(kLaunchSource, [&] {
    const std::wstring file = Widen(program);
    const std::wstring folder = Widen(directory);
    const std::wstring arguments = parameters ? Widen(*parameters) : std::wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters ? arguments.c_str() : nullptr;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info)) {
      process = info.hProcess;
    } else {
      error = ::GetLastError();
      refused = true;
    }
  });
  if (refused) WriteLog(kLaunchSource, error, line);
  return UniqueKernelHandle(survived ? process : nullptr);
}

void LaunchGamePatcher(HWND owner, InstallState& state) {
  const std::string patcher = JoinPath(state.installDir, "patcher_sl2.exe");
  if (!FileExists(patcher)) {
    // Said in the player's language, not by the shell's own "file not found" box.
    WriteLog(kLaunchSource, ERROR_FILE_NOT_FOUND, "LaunchGamePatcher: " + patcher);
    ::MessageBoxW(owner,
                  Widen(Format("Không tìm thấy %s để khởi động Bão Lửa. Vui lòng cài đặt lại trò chơi!",
                               patcher.c_str()))
                      .c_str(),
                  L"Thông báo", MB_ICONERROR);
  } else if (CreateShellExecute(patcher, state.installDir, std::nullopt)) {
    ::PostMessageW(owner, WM_CLOSE, 0, 0);
    return;
  }
  RecordInstalledVersion(state, ReadInstalledVersion(state.installDir));
}

bool RunProgram(const std::string& directory, const std::string& fileName) {
  const std::wstring application = Widen(Format("%s\\%s", directory.c_str(), fileName.c_str()));
  if (application.size() >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);  // callers log the reason
    return false;
  }
  const std::wstring folder = Widen(directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created{};
  if (!::CreateProcessW(application.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        folder.c_str(), &startup, &created))
    return false;
  UniqueKernelHandle thread(created.hThread);
  UniqueKernelHandle process(created.hProcess);
  return true;
}

}  // namespace sl
