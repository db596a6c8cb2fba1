#include "install/install_worker_win.h"

#include <optional>

#include "base/text.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "diag/thread_entry.h"
#include "diag/worker_win.h"
#include "install/install_messages.h"
#include "install/launch_win.h"
#include "install/md5_win.h"
#include "install/signature_win.h"
#include "install/tracking_id.h"
#include "store/file_system_win.h"
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
  return UniqueFile(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace sl
