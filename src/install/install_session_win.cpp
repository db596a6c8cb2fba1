#include "install/install_session_win.h"

#include <algorithm>
#include <string>

#include "base/clock.h"
#include "base/path.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/window_messages.h"
#include "diag/worker_win.h"
#include "install/install_job.h"
#include "install/install_rules.h"
#include "install/install_worker_win.h"
#include "manifest/manifest_win.h"
#include "net/download_messages.h"
#include "store/local_paths.h"
#include "store/local_store_win.h"

namespace sl {

namespace {

std::string ReadProgramFiles() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"ProgramFiles", buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Narrow(std::wstring_view(buffer, length));
}

// By the file name, which is the URL's path without a query: "setup.exe?v=2" is the program.
FileItem* FindSetupItem(FileList& list) {
  for (const auto& item : list.items) {
    if (item && EndsWithNoCase(item->fileName, ".exe")) return item.get();
  }
  return nullptr;
}

// The drive holding `folder` and what it has free for this user; asking may be slow (a network or
// sleeping drive), so plans do it off the window.
DriveSpace DriveSpaceOf(const std::string& folder) {
  std::string root = DriveRoot(folder);
  const std::optional<uint64_t> freeBytes = QueryFreeBytes(root);
  return {std::move(root), freeBytes};
}

}  // namespace

InstallSession::InstallSession(InstallView& view) : view_(view), controller_(state_, list_, *this, view) {}

InstallSession::~InstallSession() = default;

void InstallSession::DetectInstall() {
  view_.HoldStart(true);
  if (!ReadVersions(VersionsFor::Startup)) OnVersionsRead(std::nullopt);
}

bool InstallSession::ReadVersions(VersionsFor purpose) {
  versionsFor_ = purpose;
  // A press's read counts down in the progress view; the idle view at start-up has no place for it.
  const HWND countdown = purpose == VersionsFor::Press ? view_.Window() : nullptr;
  return versionRead_.Start(
      view_.Window(), WM_VERSIONS_READ, "ReadVersionManifest",
      [countdown](const StopFlag& stop) { return FetchVersionManifest(countdown, &stop); });
}

// A failed fetch leaves the versions as they were.
void InstallSession::OnVersionsRead(const std::optional<std::string>& manifest) {
  ApplyVersionManifest(manifest.value_or(std::string()), state_);
  if (versionsFor_ == VersionsFor::Press) {
    view_.RefreshFolderTexts();
    controller_.OnVersionsRead();
    return;
  }
  DetectInstallLocation(state_);
  if (state_.installDir.empty()) {
    const std::string folder = DefaultInstallDir(ReadProgramFiles());
    if (!folder.empty()) SetInstallDir(state_, folder, true);
  }
  view_.RefreshFolderTexts();
  view_.HoldStart(false);
}

bool InstallSession::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DOWNLOAD_PROGRESS:
      if (downloadHelper_) downloadHelper_->ProgressTaken();
      controller_.OnDownloadProgress(static_cast<uint64_t>(wParam), static_cast<uint64_t>(lParam));
      return true;
    case WM_DOWNLOAD_STATUS: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      controller_.OnDownloadStatus(static_cast<int32_t>(wParam),
                                   text != nullptr ? Narrow(text) : std::string());
      return true;
    }
    case WM_SIDE_DOWNLOAD_DONE: {
      const auto ticket = static_cast<uint32_t>(wParam);
      const auto lane = std::find_if(sideLanes_.begin(), sideLanes_.end(),
                                     [&](const SideLane& each) { return each.ticket == ticket; });
      if (ticket == 0 || lane == sideLanes_.end()) return true;  // stopped meanwhile
      lane->ticket = 0;
      controller_.OnSideDownloadDone(ticket, lParam != 0, lane->helper->Digest(), lane->helper->EndText());
      return true;
    }
    case WM_MD5_PROGRESS:
      controller_.OnCheckProgress(static_cast<uint64_t>(wParam), static_cast<uint64_t>(lParam));
      return true;
    case WM_DOWNLOAD_RETRY:
      controller_.OnRetryWait(static_cast<uint32_t>(wParam), FailureKindFromMessage(lParam));
      return true;
    case WM_INSTALL_RESULT:
      OnInstallResult(wParam != 0, reinterpret_cast<const char*>(lParam));
      return true;
    case WM_VERSIONS_READ:
      if (auto manifest = versionRead_.Take(wParam)) OnVersionsRead(*manifest);
      return true;
    case WM_PLAN_DONE:
      if (auto outcome = plan_.Take(wParam)) OnPlanDone(std::move(*outcome));
      return true;
    default:
      return false;
  }
}

bool InstallSession::StartPlan() {
  ExpectUiThread("InstallSession::StartPlan");
  // The worker plans on copies: the record and the list stay the window's alone.
  return plan_.Start(
      view_.Window(), WM_PLAN_DONE, "PlanNextStep",
      [state = state_, window = view_.Window(),
       downloadDir = EnsureDownloadDir()](const StopFlag& stop) mutable {
        const std::unique_ptr<PlannerEnv> env = MakeWinPlannerEnv(window, &stop);
        FileList list;
        PlanOutcome outcome;
        outcome.plan = PlanNextStep(state, *env, list);
        outcome.planned = true;
        outcome.targetVersion = state.targetVersion;
        outcome.items = std::move(list.items);
        outcome.refusal = env->lastRefusal;
        // Thousands of small files, or a drive slow to answer, cost the window nothing: read here.
        for (const auto& item : outcome.items) {
          const bool named = item && !item->fileName.empty();
          outcome.disk.bytesOnDisk.push_back(named ? FileBytes(JoinPath(downloadDir, item->fileName)) : 0);
        }
        outcome.disk.downloadDrive = DriveSpaceOf(downloadDir);
        outcome.disk.installDrive = DriveSpaceOf(state.installDir);
        return outcome;
      });
}

void InstallSession::OnPlanDone(PlanOutcome outcome) {
  // As the planner does to the list it fills: the items go, the counters across lists stay.
  ClearFileList(list_);
  list_.items = std::move(outcome.items);
  disk_ = std::move(outcome.disk);
  if (outcome.planned) state_.targetVersion = outcome.targetVersion;
  controller_.OnPlanDone(outcome.plan, outcome.refusal);
}

bool InstallSession::StartVersionRead() { return ReadVersions(VersionsFor::Press); }

void InstallSession::LaunchGamePatcher() { sl::LaunchGamePatcher(view_.Window(), state_); }

void InstallSession::OnInstallResult(bool ok, const char* setupName) {
  // The job is the one this session started: its outcome is read only now that its worker is done.
  if (job_) ApplyInstallOutcome(*job_, state_);
  const std::string name = setupName != nullptr ? setupName : "";
  const std::string refusal = job_ ? job_->refusal : std::string();
  job_.reset();
  controller_.OnInstallResult(ok, name, refusal);
}

uint64_t InstallSession::BytesOnDisk(size_t index) {
  return index < disk_.bytesOnDisk.size() ? disk_.bytesOnDisk[index] : 0;
}

DriveSpace InstallSession::DownloadDrive() { return disk_.downloadDrive; }

DriveSpace InstallSession::InstallDrive() { return disk_.installDrive; }

std::string InstallSession::GetItemLocalPath(FileItem& item) { return sl::GetItemLocalPath(item); }

void InstallSession::NameTempItem(FileItem& item) { MakeTempName(item, NowUtcTime()); }

void InstallSession::StartDownload(const FileItem& item, const std::string& localPath) {
  ExpectUiThread("InstallSession::StartDownload");
  if (!downloadHelper_) downloadHelper_ = MSHTTPHelper::Init(view_.Window());
  downloadHelper_->StartDownload(
      item.url, localPath, item.size,
      item.md5.empty() ? MSHTTPHelper::Content::Unchecked : MSHTTPHelper::Content::Checked);
}

uint32_t InstallSession::StartSideDownload(const FileItem& item, const std::string& localPath) {
  ExpectUiThread("InstallSession::StartSideDownload");
  const uint32_t ticket = nextSideTicket_++;
  if (ticket == 0) return 0;  // wrapped: 0 means none
  // A lane's helper and its thread serve its next file: starting them costs a small file more than
  // its transfer.
  auto lane = std::find_if(sideLanes_.begin(), sideLanes_.end(),
                           [](const SideLane& each) { return each.ticket == 0; });
  if (lane == sideLanes_.end())
    lane = sideLanes_.insert(sideLanes_.end(), {MSHTTPHelper::Init(view_.Window()), 0});
  lane->ticket = ticket;
  lane->helper->ReportOnlyTheEnd(WM_SIDE_DOWNLOAD_DONE, ticket);
  lane->helper->StartDownload(
      item.url, localPath, item.size,
      item.md5.empty() ? MSHTTPHelper::Content::Unchecked : MSHTTPHelper::Content::Checked);
  return ticket;
}

void InstallSession::StopDownloads() {
  downloadHelper_.reset();
  sideLanes_.clear();
}

// Taken by the download thread as the file was written: nothing is read on the window's thread.
std::string InstallSession::FileMd5(FileItem&) {
  return downloadHelper_ ? downloadHelper_->Digest() : std::string();
}

std::string InstallSession::DeleteLocalFile(const std::string& path) {
  const auto wide = WidePath(path);
  if (!wide) return Narrow(SystemErrorTextOrFallback(ERROR_FILENAME_EXCED_RANGE));
  RemoveResumeRecord(path);
  if (::DeleteFileW(wide->c_str())) return {};
  const DWORD code = ::GetLastError();
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return {};
  return std::string(TrimAsciiSpace(Narrow(SystemErrorTextOrFallback(code))));
}

bool InstallSession::StartInstallWorker() {
  auto job = std::make_shared<InstallJob>();
  if (FileItem* setup = FindSetupItem(list_)) {
    job->setupPath = sl::GetItemLocalPath(*setup);
    job->setupName = setup->fileName;
    job->setupMd5 = setup->md5;
    job->setupSize = setup->size;
  }
  job->downloadDir = EnsureDownloadDir();
  job->installDir = state_.installDir;
  job->mode = GetInstallMode(state_.latestVersion, state_.installedVersion, state_.minimalVersion);
  job->ownExeName = Paths().exeName;
  job_ = job;
  if (sl::StartInstallWorker(view_.Window(), std::move(job))) return true;
  job_.reset();
  return false;
}

double InstallSession::NowSeconds() { return sl::NowSeconds(); }

}  // namespace sl
