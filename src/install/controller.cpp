#include "install/controller.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/text.h"
#include "diag/log.h"
#include "manifest/step_planner.h"
#include "net/download_messages.h"
#include "net/http_rules.h"

namespace sl {
namespace {

constexpr const char* kCaption = "Thông báo";
constexpr const char* kPlanCaption = "Thông báo!";
constexpr const char* kPlanFailedText = "Không lấy danh sách tệp tin cần tải. Kiểm tra lại mạng và thử lại!";

std::string SetupFailedText(std::string_view setupName) {
  return Format("Tiến trình cài đặt: %s đã hủy. Vui lòng thử lại", std::string(setupName).c_str());
}

bool SameDigest(std::string_view computed, std::string_view expected) {
  return !computed.empty() && EqualsNoCase(computed, expected);
}

// How far past the current file side transfers may reach: files fetched ahead wait there until
// the current one gets to them.
constexpr int32_t kSideReach = 4 * kSmallFilesInFlight;

}  // namespace

std::string PercentText(double percent) { return Format("%.01f%%", percent); }

std::string TransferRateText(const std::string& fileName, double bytesPerSecond) {
  static constexpr const char* kUnits[] = {"Byte", "Kb", "Mb", "Gb"};
  double value = bytesPerSecond;
  int unit = 0;
  while (unit < 3 && value / 1024 > 1.0) {
    value /= 1024;
    ++unit;
  }
  return Format("Đang tải..%s [Tốc độ: %.2f%s/s]", fileName.c_str(), value, kUnits[unit]);
}

std::string RemainingTimeText(uint32_t seconds) {
  if (seconds >= 120) return Format("Còn lại: %u phút", seconds / 60);
  return Format("Còn lại: %us", seconds);
}

InstallController::InstallController(InstallState& state, FileList& list, InstallControllerEnv& env,
                                     RunDisplay& display)
    : state_(state), list_(list), env_(env), display_(display) {}

void InstallController::OnStartPressed(bool readVersionsFirst) {
  if (phase_ != Phase::Idle) return;
  // No press comes while the close question is up: a hold left by a Yes whose close did not
  // happen must not keep this run's steps back.
  held_ = false;
  deferred_ = nullptr;
  paused_ = false;
  // From the press on a close asks first: the plan and its fetches are part of the run.
  state_.workflowState = STATE_UPDATING;
  progressShown_ = false;
  if (!readVersionsFirst) {
    PlanPressedStep();
    return;
  }
  phase_ = Phase::ReadingVersions;
  if (!env_.StartVersionRead()) EndPress(kPlanFailedText);
}

void InstallController::OnVersionsRead() {
  if (phase_ != Phase::ReadingVersions || Defer([this] { OnVersionsRead(); })) return;
  // The server may be back since the start; the captions and the free-space verdict follow it.
  if (state_.latestVersion == 0) {
    EndPress(kPlanFailedText);
    return;
  }
  PlanPressedStep();
}

void InstallController::PlanPressedStep() {
  if (display_.WarnBeforeStart()) {
    EndPress(nullptr);
    return;
  }
  phase_ = Phase::PlanningPress;
  if (!env_.StartPlan()) OnPlanDone(kPlanListFailed);
}

// A press that ends before a run: the start button comes back.
void InstallController::EndPress(const char* errorText) {
  phase_ = Phase::Idle;
  state_.workflowState = STATE_IDLE;
  if (errorText != nullptr) display_.ShowError(errorText, kPlanCaption);
  display_.ReturnToIdle();
}

void InstallController::HoldSteps(bool hold) {
  held_ = hold;
  if (hold) return;
  if (deferred_) std::exchange(deferred_, nullptr)();
  StartSideDownloads();  // held back meanwhile
}

bool InstallController::Defer(std::function<void()> next) {
  if (!held_) return false;
  deferred_ = std::move(next);
  return true;
}

void InstallController::OnPlanDone(int32_t plan, const std::string& refusal) {
  if (Defer([this, plan, refusal] { OnPlanDone(plan, refusal); })) return;
  const std::string failure = refusal.empty() ? std::string(kPlanFailedText) : refusal;
  if (phase_ == Phase::PlanningPress) {
    if (plan > 0) {
      if (!EnoughSpaceForStep()) return;
      phase_ = Phase::Running;
      display_.ShowProgressView();
      StartRun();
    } else if (plan == 0) {
      EndPress(nullptr);
      env_.LaunchGamePatcher();
      display_.RefreshFolderTexts();  // a patcher that could not start made the versions be read again
    } else {
      EndPress(failure.c_str());
    }
    return;
  }
  if (phase_ != Phase::PlanningStep) return;
  phase_ = Phase::Running;
  if (plan > 0) {
    if (EnoughSpaceForStep()) StartRun();
    return;
  }
  // 0 is "nothing left", which ends the run well only when the latest release is reached; short of
  // it, like any failed plan, the player hears why the chain stopped.
  const bool current =
      state_.targetVersion == state_.latestVersion || state_.installedVersion == state_.latestVersion;
  if (plan == 0 && current) {
    EndRun();
    return;
  }
  StopRun(failure, kPlanCaption);
}

void InstallController::OnRetryWait(uint32_t secondsLeft, FailureKind why) {
  // A stopped transfer's last message may still be on its way.
  if (phase_ == Phase::Idle || paused_) return;
  if (!progressShown_ && (phase_ == Phase::ReadingVersions || phase_ == Phase::PlanningPress)) {
    progressShown_ = true;
    display_.ShowProgressView();
  }
  display_.SetStatusLine(RetryWaitText(why, secondsLeft));
  display_.Redraw();
}

void InstallController::OnCheckProgress(uint64_t hashed, uint64_t length) {
  FileItem* item = CurrentItem();
  if (phase_ != Phase::Running || paused_ || item == nullptr || length == 0) return;
  display_.SetStatusLine("Md5Verify " + item->fileName);
  const double percent = static_cast<double>(hashed) / static_cast<double>(length) * 100;
  display_.SetCurrentPercent(SaturatingCast<int32_t>(std::clamp(percent, 0.0, 100.0)), PercentText(percent));
  display_.Redraw();
}

bool InstallController::EnoughSpaceForStep() {
  SpaceNeed need;
  for (size_t i = 0; i < list_.items.size(); ++i) {
    if (list_.items[i]) AddToSpaceNeed(need, list_.items[i]->size, env_.BytesOnDisk(i));
  }
  const std::optional<std::string> shortText =
      ShortSpaceText(need, env_.DownloadDrive(), env_.InstallDrive());
  if (!shortText) return true;
  WriteLog(kLogSource, 0,
           Format("Not enough free space for release %d: %llu bytes to fetch, %llu to install",
                  static_cast<int>(state_.targetVersion), static_cast<unsigned long long>(need.download),
                  static_cast<unsigned long long>(need.install)));
  if (phase_ == Phase::PlanningPress) {
    EndPress(shortText->c_str());
  } else {
    StopRun(*shortText, kPlanCaption);
  }
  return false;
}

void InstallController::StartRun() {
  list_.currentIndex = 0;
  refetchedIndex_ = kNoItem;
  sideDownloads_.clear();
  std::vector<uint64_t> sizes;
  for (const auto& item : list_.items) sizes.push_back(item ? item->size : 0);
  progress_.Begin(sizes);
  // What the plan found on disk is done already: counted from the start, it never shows as speed.
  for (size_t i = 0; i < list_.items.size(); ++i) {
    if (list_.items[i]) progress_.SetFileBytes(i, env_.BytesOnDisk(i));
  }
  display_.SetRemainingLine("");
  display_.ShowPauseControl(PauseControl::Pause);
  StartCurrentOrInstall();
}

void InstallController::OnPausePressed() {
  if (phase_ != Phase::Running || state_.workflowState == STATE_INSTALLING) return;
  if (paused_) {
    paused_ = false;
    state_.workflowState = STATE_UPDATING;
    WriteLog(kLogSource, 0, "Download resumed by the player");
    display_.ShowPauseControl(PauseControl::Pause);
    StartCurrentOrInstall();
    return;
  }
  paused_ = true;
  env_.StopDownloads();
  // Whole side files wait to be taken; the others start again from what they hold.
  std::erase_if(sideDownloads_, [](const SideDownload& side) { return !side.ended; });
  waitingForSide_ = false;
  progress_.ForgetSpeed();
  // Nothing runs while paused: closing asks nothing, and the next start resumes.
  state_.workflowState = STATE_IDLE;
  WriteLog(kLogSource, 0, "Download paused by the player");
  display_.ShowPauseControl(PauseControl::Resume);
  display_.SetStatusLine(kPausedText);
  display_.SetRemainingLine("");
  display_.Redraw();
}

FileItem* InstallController::CurrentItem() {
  const int32_t index = list_.currentIndex;
  if (index < 0 || static_cast<size_t>(index) >= list_.items.size()) return nullptr;
  return list_.items[static_cast<size_t>(index)].get();
}

void InstallController::OnDownloadProgress(uint64_t done, uint64_t length) {
  FileItem* item = CurrentItem();
  // A paused or ended run's transfer is stopped; a message it posted before may still come.
  if (phase_ != Phase::Running || paused_ || item == nullptr) return;
  item->downloadedBytes = done;
  progress_.SetFileBytes(static_cast<size_t>(list_.currentIndex), done, length);
  list_.sampleTime = env_.NowSeconds();
  progress_.Sample(list_.sampleTime);
  if (item->fileName.empty()) env_.NameTempItem(*item);
  if (length != 0) {
    const double percent = static_cast<double>(done) / static_cast<double>(length) * 100;
    // The bar is drawn from the integer; the text keeps the exact value.
    display_.SetCurrentPercent(SaturatingCast<int32_t>(std::clamp(percent, 0.0, 100.0)),
                               PercentText(percent));
  }
  ShowRunProgress(item->fileName);
}

void InstallController::ShowRunProgress(const std::string& fileName) {
  const std::optional<double> speed = progress_.Speed();
  // Until a second of transfer has been seen the line keeps the file's name alone.
  if (speed) display_.SetStatusLine(TransferRateText(fileName, *speed));
  list_.rate = speed.value_or(0);
  const std::optional<uint32_t> left = progress_.SecondsLeft();
  list_.remainingSeconds = left.value_or(0);
  display_.SetRemainingLine(left ? RemainingTimeText(*left) : std::string());
  list_.doneBytes = progress_.ShownDone();
  list_.totalBytes = progress_.Total();
  if (list_.totalBytes != 0) display_.SetTotalProgress(list_.doneBytes, list_.totalBytes);
  display_.Redraw();
}

void InstallController::OnDownloadStatus(int32_t code, std::string_view text) {
  // Sent by a transfer the pause stopped: the file is taken again when the run goes on.
  if (paused_) return;
  switch (code) {
    case MDS_STATUS_PREPARING:
      display_.SetStatusLine("Chuẩn bị tải  " + std::string(text));
      break;
    case MDS_STATUS_DOWNLOADING:
      display_.SetStatusLine("Đang tải... " + std::string(text));
      state_.workflowState = STATE_UPDATING;
      break;
    case MDS_STATUS_FAILED:
      if (phase_ == Phase::Running) StopRun("Lỗi: " + std::string(text), kCaption);
      break;
    case MDS_STATUS_DONE:
      if (phase_ == Phase::Running) OnFileDone();
      break;
    default:
      break;
  }
}

// The file is the one the current item started: a name in the message is only for the eye, and
// the request's name may differ from the list's (a query string, for one).
void InstallController::OnFileDone() {
  if (FileItem* item = CurrentItem()) {
    const std::string digest = item->md5.empty() ? std::string() : env_.FileMd5(*item);
    if (!AcceptFile(*item, digest)) return;
  }
  ++list_.currentIndex;
  StartCurrentOrInstall();
}

bool InstallController::AcceptFile(FileItem& item, const std::string& digest) {
  display_.SetStatusLine("Md5Verify " + item.fileName);
  if (!item.md5.empty() && !SameDigest(digest, item.md5)) {
    RejectFile(item, digest);
    return false;
  }
  item.downloadedBytes = item.size;
  item.status = MDS_STATUS_DONE;
  progress_.SetFileWhole(static_cast<size_t>(list_.currentIndex));
  refetchedIndex_ = kNoItem;
  return true;
}

void InstallController::OnSideDownloadDone(uint32_t ticket, bool whole, const std::string& digest,
                                           const std::string& failure) {
  const auto side = std::find_if(sideDownloads_.begin(), sideDownloads_.end(),
                                 [&](const SideDownload& each) { return each.ticket == ticket; });
  if (phase_ != Phase::Running || side == sideDownloads_.end()) return;
  if (!whole) {
    StopRun("Lỗi: " + failure, kCaption);
    return;
  }
  side->ended = true;
  side->digest = digest;
  progress_.SetFileWhole(static_cast<size_t>(side->index));
  if (waitingForSide_ && side->index == list_.currentIndex) {
    StartCurrentOrInstall();
    return;
  }
  StartSideDownloads();
}

void InstallController::StartSideDownloads() {
  const FileItem* current = CurrentItem();
  // Large files go one at a time, at the link's full speed.
  if (phase_ != Phase::Running || held_ || current == nullptr || !IsSmallFile(current->size)) return;
  int running = waitingForSide_ ? 0 : 1;  // the current file's own transfer
  for (const SideDownload& side : sideDownloads_) running += side.ended ? 0 : 1;
  const auto last =
      std::min<int32_t>(static_cast<int32_t>(list_.items.size()) - 1, list_.currentIndex + kSideReach);
  for (int32_t index = list_.currentIndex + 1; index <= last && running < kSmallFilesInFlight; ++index) {
    FileItem* item = list_.items[static_cast<size_t>(index)].get();
    const bool taken = std::any_of(sideDownloads_.begin(), sideDownloads_.end(),
                                   [&](const SideDownload& side) { return side.index == index; });
    // An unnamed item gets its name when it becomes the current one.
    if (item == nullptr || taken || !IsSmallFile(item->size) || item->fileName.empty() ||
        item->status == MDS_STATUS_DONE)
      continue;
    const uint32_t ticket = env_.StartSideDownload(*item, env_.GetItemLocalPath(*item));
    if (ticket == 0) return;
    sideDownloads_.push_back({ticket, index, false, {}});
    ++running;
  }
}

void InstallController::RejectFile(FileItem& item, const std::string& digest) {
  const std::string got = digest.empty() ? "(not computed)" : digest;
  // A file that stays would be found whole by the next download and checked again, unchanged.
  const std::string deleteError = env_.DeleteLocalFile(env_.GetItemLocalPath(item));
  if (!deleteError.empty()) {
    WriteLog(kLogSource, 0,
             Format("MD5 check failed and the file cannot be deleted, run stopped: %s expected %s got %s: %s",
                    item.fileName.c_str(), item.md5.c_str(), got.c_str(), deleteError.c_str()));
    StopRun("Lỗi: Tệp tin " + item.fileName + " bị hỏng (sai mã MD5) nhưng không xóa được: " + deleteError,
            kCaption);
    return;
  }
  if (refetchedIndex_ == list_.currentIndex) {
    refetchedIndex_ = kNoItem;
    WriteLog(kLogSource, 0,
             Format("MD5 check failed again after a fresh download, run stopped: %s expected %s got %s",
                    item.fileName.c_str(), item.md5.c_str(), got.c_str()));
    StopRun(
        "Lỗi: Tệp tin " + item.fileName + " tải về bị hỏng (sai mã MD5) dù đã tải lại. Vui lòng thử lại sau!",
        kCaption);
    return;
  }
  WriteLog(kLogSource, 0,
           Format("MD5 check failed, downloading again: %s expected %s got %s", item.fileName.c_str(),
                  item.md5.c_str(), got.c_str()));
  refetchedIndex_ = list_.currentIndex;
  // The file is gone, so its count starts over (and the speed with it).
  item.downloadedBytes = 0;
  progress_.SetFileBytes(static_cast<size_t>(list_.currentIndex), 0);
  StartItem(item);
}

void InstallController::StartCurrentOrInstall() {
  waitingForSide_ = false;
  for (FileItem* item = CurrentItem(); item != nullptr; item = CurrentItem()) {
    const auto side =
        std::find_if(sideDownloads_.begin(), sideDownloads_.end(),
                     [&](const SideDownload& each) { return each.index == list_.currentIndex; });
    if (side == sideDownloads_.end()) {
      StartItem(*item);
      StartSideDownloads();
      return;
    }
    if (!side->ended) {
      waitingForSide_ = true;
      ResetCurrentPercent();
      display_.SetStatusLine("Đang tải... " + item->fileName);
      StartSideDownloads();
      return;
    }
    const std::string digest = std::move(side->digest);
    sideDownloads_.erase(side);
    if (!AcceptFile(*item, digest)) return;
    ++list_.currentIndex;
  }
  const bool allDone = std::all_of(list_.items.begin(), list_.items.end(),
                                   [](const auto& item) { return item && item->status == MDS_STATUS_DONE; });
  if (allDone) {
    if (Defer([this] {
          if (phase_ == Phase::Running) StartCurrentOrInstall();
        }))
      return;
    // Every file is whole: a side file that ended last sent no progress of its own.
    if (progress_.Total() != 0) display_.SetTotalProgress(progress_.ShownDone(), progress_.Total());
    display_.SetStatusLine("Đang cài đặt...");
    display_.SetRemainingLine("");
    display_.ShowPauseControl(PauseControl::Unavailable);
    stepMode_ = GetInstallMode(state_.latestVersion, state_.installedVersion, state_.minimalVersion);
    if (env_.StartInstallWorker()) {
      state_.workflowState = STATE_INSTALLING;
      return;
    }
  }
  StopRun("Có lỗi trong quá trình tải và cài Bão lửa. Vui lòng thử lại!", kCaption);
}

void InstallController::ResetCurrentPercent() {
  display_.SetCurrentPercent(0, PercentText(0));
  display_.Redraw();
}

void InstallController::StartItem(FileItem& item) {
  ResetCurrentPercent();
  const std::string path = env_.GetItemLocalPath(item);
  list_.sampleTime = env_.NowSeconds();
  env_.StartDownload(item, path);
}

void InstallController::StopRun(const std::string& text, const char* caption) {
  // Before the message: under its box no transfer of the stopped run may go on or report.
  env_.StopDownloads();
  display_.ShowError(text, caption);
  // Whatever failed, the next plan starts from what is installed: a target left at the failed
  // step (or below it) would pass over a patch, or call a missing full install done.
  state_.targetVersion = state_.installedVersion;
  EndRun();
}

void InstallController::EndRun() {
  env_.StopDownloads();
  sideDownloads_.clear();
  waitingForSide_ = false;
  paused_ = false;
  display_.ShowPauseControl(PauseControl::Unavailable);
  // Back at the idle view nothing runs: the close question and the folder commands must see that.
  phase_ = Phase::Idle;
  state_.workflowState = STATE_IDLE;
  display_.ReturnToIdle();
  display_.RefreshFolderTexts();
}

void InstallController::OnInstallResult(bool ok, std::string_view setupName, const std::string& refusal) {
  if (Defer([this, ok, name = std::string(setupName), refusal] {
        if (phase_ == Phase::Running) OnInstallResult(ok, name, refusal);
      }))
    return;
  if (!ok) {
    StopRun(refusal.empty() ? SetupFailedText(setupName) : refusal, kCaption);
    return;
  }
  OnStepInstalled(setupName);
}

void InstallController::OnStepInstalled(std::string_view setupName) {
  // A full install that leaves no usable release would be planned, downloaded, run and reported
  // again and again: one setup run per step and press.
  if (stepMode_ == MODE_FULL &&
      GetInstallMode(state_.latestVersion, state_.installedVersion, state_.minimalVersion) == MODE_FULL) {
    WriteLog(kLogSource, 0,
             Format("Setup program left no usable release: %s (installed %d, minimal %d)",
                    std::string(setupName).c_str(), static_cast<int>(state_.installedVersion),
                    static_cast<int>(state_.minimalVersion)));
    StopRun(SetupFailedText(setupName), kCaption);
    return;
  }
  phase_ = Phase::PlanningStep;
  if (!env_.StartPlan()) OnPlanDone(kPlanListFailed);
}

}  // namespace sl
