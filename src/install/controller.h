// The install pipeline's state machine: download every file of a step, verify it, run the step's
// setup program, plan the next step. It owns no platform state; the Win32 side decodes the window
// messages into the On* calls below and implements InstallControllerEnv. UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "install/run_progress.h"
#include "install/install_rules.h"
#include "manifest/file_list.h"
#include "net/transfer_rules.h"
#include "store/install_state.h"

namespace sl {

// The pause button of the progress view: off while nothing can be paused (a plan, a setup program).
enum class PauseControl { Unavailable, Pause, Resume };

// What a run shows the player: the main window implements it, and the controller draws through it
// directly.
class RunDisplay {
 public:
  virtual ~RunDisplay() = default;

  // The progress panel. The set operations only store; Redraw repaints (throttled by the view).
  virtual void SetStatusLine(const std::string& text) = 0;
  virtual void SetRemainingLine(const std::string& text) = 0;
  virtual void SetCurrentPercent(int32_t percent, const std::string& text) = 0;
  virtual void SetTotalProgress(uint64_t done, uint64_t total) = 0;
  virtual void Redraw() = 0;
  // The pause button's text and whether it can be pressed.
  virtual void ShowPauseControl(PauseControl control) = 0;
  // The progress view, in place of the idle view.
  virtual void ShowProgressView() = 0;
  // A message box owned by the main window: error icon, one OK button.
  virtual void ShowError(const std::string& text, const std::string& caption) = 0;
  // Sends CMD_RETURN_TO_IDLE: the start button comes back and the idle view is shown.
  virtual void ReturnToIdle() = 0;
  // The folder and version captions and the idle view of the install mode now in force.
  virtual void RefreshFolderTexts() = 0;
  // Shows the free-space warning that stands in the way of a run; true when there is one.
  [[nodiscard]] virtual bool WarnBeforeStart() = 0;
};

// Everything else the controller does to the outside world.
class InstallControllerEnv {
 public:
  virtual ~InstallControllerEnv() = default;

  // downloadDir joined with the item's file name; names an unnamed item first (MakeTempName).
  virtual std::string GetItemLocalPath(FileItem& item) = 0;
  // Gives an unnamed item its timestamp name (MakeTempName).
  virtual void NameTempItem(FileItem& item) = 0;
  // Starts the transfer of item.url to localPath on the download helper's thread; a listed size
  // is the only length it accepts.
  virtual void StartDownload(const FileItem& item, const std::string& localPath) = 0;
  // MD5 of the item's local file as hexadecimal text, as its download took it (a listed MD5 makes
  // the download hash the file as it writes it); empty when the file could not be read.
  virtual std::string FileMd5(FileItem& item) = 0;
  // Starts the transfer of a small item (listed size below kSmallFileBytes) beside the current
  // file's, to localPath: it reports only its end, by OnSideDownloadDone with the ticket returned
  // here; 0 when it could not start.
  [[nodiscard]] virtual uint32_t StartSideDownload(const FileItem& item, const std::string& localPath) = 0;
  // Stops every transfer of the run, the current file's and those beside it; their files keep
  // what arrived, for a later resume.
  virtual void StopDownloads() = 0;
  // Bytes already on disk under the name of the list's item `index`, as its plan found them; 0
  // when there are none.
  [[nodiscard]] virtual uint64_t BytesOnDisk(size_t index) = 0;
  // The drives of the download and the install folder, with their free bytes.
  [[nodiscard]] virtual DriveSpace DownloadDrive() = 0;
  [[nodiscard]] virtual DriveSpace InstallDrive() = 0;
  // Deletes the file; empty when it is gone, else the system's text for why it stays.
  [[nodiscard]] virtual std::string DeleteLocalFile(const std::string& path) = 0;

  // Starts the install worker on its own thread; false when the thread could not be started.
  [[nodiscard]] virtual bool StartInstallWorker() = 0;
  // Plans the next step off the window (PlanNextStep, step_planner.h): OnPlanDone follows once
  // the step's list and targetVersion are in place. False when the plan could not start.
  [[nodiscard]] virtual bool StartPlan() = 0;
  // Reads version.ini again off the window: OnVersionsRead follows once the versions are applied
  // and the captions refreshed. False when the read could not start.
  [[nodiscard]] virtual bool StartVersionRead() = 0;
  // Hands over to the game's patcher, which closes the window, or tells the player why it cannot.
  virtual void LaunchGamePatcher() = 0;

  // Wall clock, seconds since 1970-01-01 UTC.
  [[nodiscard]] virtual double NowSeconds() = 0;
};

// A progress bar's percent text, one decimal, rounded by the format: 66.666... gives "66.7%".
[[nodiscard]] std::string PercentText(double percent);

// "Đang tải..<name> [Tốc độ: <value><unit>/s]", the rate scaled by 1024 while the result stays
// strictly above 1 (Byte, Kb, Mb, Gb).
[[nodiscard]] std::string TransferRateText(const std::string& fileName, double bytesPerSecond);

// "Còn lại: <minutes> phút" from two minutes on, "Còn lại: <seconds>s" below.
[[nodiscard]] std::string RemainingTimeText(uint32_t seconds);

// The status line of a paused run.
inline constexpr const char* kPausedText = "Đã tạm dừng tải. Nhấn \"Tiếp tục\" để tải tiếp.";

class InstallController {
 public:
  // Log lines of the pipeline carry this source.
  static constexpr std::string_view kLogSource = "StormlineHelper";

  InstallController(InstallState& state, FileList& list, InstallControllerEnv& env, RunDisplay& display);

  // A start button was pressed (and disabled): the versions are read again first when
  // `readVersionsFirst` (an install press while the server's versions are unknown), then the free
  // space is checked and the next step planned. A step starts the run in the progress view;
  // nothing left hands over to the game's patcher; a failure says so and returns to idle. A press
  // while a run or a press goes on is ignored.
  void OnStartPressed(bool readVersionsFirst);
  // The versions read for a press are applied.
  void OnVersionsRead();
  // A plan ended: PlanNextStep's result, its list and targetVersion in place. `refusal`, when not
  // empty, is why the program refused a list: the player reads it instead of the usual failure.
  void OnPlanDone(int32_t plan, const std::string& refusal = {});
  // A fetch of the run waits to try again (WM_DOWNLOAD_RETRY): the progress view counts down.
  void OnRetryWait(uint32_t secondsLeft, FailureKind why);
  // The check of the current file catches up with its last bytes (WM_MD5_PROGRESS): the bar shows
  // the bytes checked.
  void OnCheckProgress(uint64_t hashed, uint64_t length);
  // A press or a run goes on: from the press to the run's last message.
  [[nodiscard]] bool Busy() const { return phase_ != Phase::Idle; }
  // While the close question is up no new step begins (no plan, no start of a step's downloads, no
  // setup program; the files of a step already downloading go on): what would begin waits for the
  // answer, and goes on when the hold ends unless the run has ended meanwhile.
  void HoldSteps(bool hold);

  // The pause button: a paused run stops every transfer (their files keep what arrived) and asks
  // nothing on close; pressed again, the transfers go on from what is on disk. Only while the
  // step's files download.
  void OnPausePressed();
  [[nodiscard]] bool Paused() const { return paused_; }

  // WM_DOWNLOAD_PROGRESS: bytes of the current file on disk, and its content length (0 = unknown).
  // The texts show the whole step: bytes over all its files, the speed and the time left.
  void OnDownloadProgress(uint64_t done, uint64_t length);
  // WM_DOWNLOAD_STATUS: 1020, 1011 and 1013 carry a file name, 1018 an error text; other codes
  // are ignored. 1013 means the current item (by index, whatever the text) is whole on disk.
  void OnDownloadStatus(int32_t code, std::string_view text);
  // A side transfer ended: `whole` when its file is on disk, with the digest it was checked by
  // (empty for an item without MD5); otherwise it failed for the reason `failure` tells the
  // player, which ends the run as a failed current file does.
  void OnSideDownloadDone(uint32_t ticket, bool whole, const std::string& digest, const std::string& failure);
  // WM_INSTALL_RESULT: the worker's verdict and the name of the setup program it ran (may be empty).
  // Every ending of a run, good or bad, leaves the start button usable, and a failed one makes
  // the next plan start from the installed release, so no failed step is ever passed over.
  // `refusal`, when not empty, is why the setup program was not started (its signature).
  void OnInstallResult(bool ok, std::string_view setupName, const std::string& refusal = {});

 private:
  enum class Phase { Idle, ReadingVersions, PlanningPress, Running, PlanningStep };

  void StartRun();
  // The space the step still needs, judged before its first byte; false when the run ended for it.
  bool EnoughSpaceForStep();
  void ShowRunProgress(const std::string& fileName);
  // While held, keeps `next` for the end of the hold and says so.
  bool Defer(std::function<void()> next);
  void PlanPressedStep();
  void EndPress(const char* errorText);
  FileItem* CurrentItem();
  void OnFileDone();
  // Checks a whole file against the list; false when it was rejected (fetched again or the run
  // stopped).
  bool AcceptFile(FileItem& item, const std::string& digest);
  void RejectFile(FileItem& item, const std::string& digest);
  // Starts side transfers of the small files after the current one while there is room.
  void StartSideDownloads();
  void StartCurrentOrInstall();
  void StartItem(FileItem& item);
  void ResetCurrentPercent();
  void OnStepInstalled(std::string_view setupName);
  void StopRun(const std::string& text, const char* caption);
  void EndRun();

  InstallState& state_;
  FileList& list_;
  InstallControllerEnv& env_;
  RunDisplay& display_;
  static constexpr int32_t kNoItem = -1;
  // The item (by index) already downloaded again after a failed check: a second failure ends the
  // run, as a server holding a bad file would otherwise be asked for it forever.
  int32_t refetchedIndex_ = kNoItem;
  // The install mode the running step's setup program was started in.
  InstallMode stepMode_ = MODE_NONE;
  Phase phase_ = Phase::Idle;
  // Small files after the current one, fetched beside it; the current file may be one of them,
  // and is then waited for rather than downloaded.
  struct SideDownload {
    uint32_t ticket = 0;
    int32_t index = kNoItem;
    bool ended = false;
    std::string digest;
  };
  std::vector<SideDownload> sideDownloads_;
  bool waitingForSide_ = false;  // the current file is a running side transfer
  bool progressShown_ = false;   // by a wait of the press, before its run
  bool held_ = false;
  bool paused_ = false;
  RunProgress progress_;
  std::function<void()> deferred_;
};

}  // namespace sl
