// One install session on the UI thread and the view it draws through.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diag/worker_win.h"
#include "install/controller.h"
#include "install/install_job.h"
#include "manifest/file_list.h"
#include "manifest/step_planner.h"
#include "net/http_helper_win.h"
#include "store/install_state.h"

namespace sl {

// What an install session shows: the window that owns its messages and dialogs, the progress
// panel and the idle view. The main window implements it; the session never sees a control.
class InstallView : public RunDisplay {
 public:
  // Receives the pipeline's messages and owns its message boxes.
  [[nodiscard]] virtual HWND Window() const = 0;
  // While held (holds count), a start button's press waits: the start-up checks are not done.
  virtual void HoldStart(bool hold) = 0;
};

// One install session on the UI thread: it owns the install record, the file list, the download
// helper, the controller, the worker's job and the fetches off the window, and turns the
// pipeline's window messages into the controller's events. It reaches the screen only through its
// InstallView.

class InstallSession final : private InstallControllerEnv {
 public:
  explicit InstallSession(InstallView& view);
  ~InstallSession() override;
  InstallSession(const InstallSession&) = delete;
  InstallSession& operator=(const InstallSession&) = delete;

  [[nodiscard]] InstallState& State() { return state_; }
  [[nodiscard]] const InstallState& State() const { return state_; }

  // Start-up: reads the server's versions off the window, then finds the install (or picks the
  // default folder) and refreshes the view. The view holds its start buttons until then.
  void DetectInstall();
  // A start button was pressed and disabled; see InstallController::OnStartPressed.
  void Press(bool readVersionsFirst) { controller_.OnStartPressed(readVersionsFirst); }
  // A press or a run goes on.
  [[nodiscard]] bool Busy() const { return controller_.Busy(); }
  // The pause button; see InstallController::OnPausePressed.
  void PausePressed() { controller_.OnPausePressed(); }
  // See InstallController::HoldSteps: while the close question is up.
  void HoldSteps(bool hold) { controller_.HoldSteps(hold); }

  // The download, install and fetch messages; false for any other message.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // What a plan read of the disks, off the window, for the space check before the step's first byte.
  struct StepDisk {
    std::vector<uint64_t> bytesOnDisk;  // by item: what the download folder holds under its name
    DriveSpace downloadDrive;
    DriveSpace installDrive;
  };
  // What a plan off the window hands back: PlanNextStep's result, its target and its list.
  struct PlanOutcome {
    bool planned = false;  // false when the plan ended in an exception
    int32_t plan = kPlanListFailed;
    int32_t targetVersion = 0;
    std::vector<std::unique_ptr<FileItem>> items;
    std::string refusal;  // why the program refused a list, for the player
    StepDisk disk;
  };
  enum class VersionsFor { Startup, Press };

  // InstallControllerEnv.
  std::string GetItemLocalPath(FileItem& item) override;
  void NameTempItem(FileItem& item) override;
  void StartDownload(const FileItem& item, const std::string& localPath) override;
  std::string FileMd5(FileItem& item) override;
  uint32_t StartSideDownload(const FileItem& item, const std::string& localPath) override;
  void StopDownloads() override;
  uint64_t BytesOnDisk(size_t index) override;
  DriveSpace DownloadDrive() override;
  DriveSpace InstallDrive() override;
  std::string DeleteLocalFile(const std::string& path) override;
  bool StartInstallWorker() override;
  bool StartPlan() override;
  bool StartVersionRead() override;
  void LaunchGamePatcher() override;
  double NowSeconds() override;

  bool ReadVersions(VersionsFor purpose);
  void OnVersionsRead(const std::optional<std::string>& manifest);
  void OnPlanDone(PlanOutcome outcome);
  void OnInstallResult(bool ok, const char* setupName);

  InstallView& view_;
  InstallState state_;
  FileList list_;
  // Made by a run's first download and reused for its next files; dropped when the run ends.
  std::unique_ptr<MSHTTPHelper> downloadHelper_;
  // The transfers beside the current file's: a helper each, so each has its own connection and
  // digest; `ticket` names the transfer a lane runs, 0 when it is free for the next one.
  struct SideLane {
    std::unique_ptr<MSHTTPHelper> helper;
    uint32_t ticket = 0;
  };
  std::vector<SideLane> sideLanes_;
  StepDisk disk_;  // the current list's, from its plan
  uint32_t nextSideTicket_ = 1;
  // Shared with the worker, which may still run when the session ends.
  std::shared_ptr<InstallJob> job_;
  OffWindowWork<std::optional<std::string>> versionRead_;
  VersionsFor versionsFor_ = VersionsFor::Startup;
  OffWindowWork<PlanOutcome> plan_;
  InstallController controller_;
};

}  // namespace sl
