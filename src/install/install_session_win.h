// One install session on the UI thread: it owns the install record, the file list, the download
// helper, the controller and the worker's job, and turns the pipeline's window messages into the
// controller's events. It reaches the screen only through its InstallView.
#pragma once

#include <windows.h>

#include <memory>

#include "install/controller.h"
#include "install/install_job.h"
#include "install/install_view.h"
#include "manifest/file_list.h"
#include "net/http_helper_win.h"
#include "store/install_state.h"

namespace sl {

class InstallSession final : private InstallControllerEnv {
 public:
  explicit InstallSession(InstallView& view);
  ~InstallSession() override;
  InstallSession(const InstallSession&) = delete;
  InstallSession& operator=(const InstallSession&) = delete;

  [[nodiscard]] InstallState& State() { return state_; }
  [[nodiscard]] const InstallState& State() const { return state_; }

  // Start-up: reads the server's versions, finds the install (or picks the default folder) and
  // refreshes the view.
  void DetectInstall();
  // Reads version.ini again; a failed fetch leaves the versions as they were.
  void ReadVersionManifest();
  // Loads the next step's file list: > 0 a step to run, 0 nothing left, < 0 a failure.
  [[nodiscard]] int32_t PlanNextStep() override;
  // Downloads begin with the first file of the planned step; the progress view is shown.
  void StartRun();

  // The download and install messages; false for any other message.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // InstallControllerEnv.
  void SetStatusLine(const std::string& text) override;
  void SetRemainingLine(const std::string& text) override;
  void SetCurrentPercent(int32_t percent, const std::string& text) override;
  void SetTotalProgress(uint64_t done, uint64_t total) override;
  void Redraw() override;
  std::string GetItemLocalPath(FileItem& item) override;
  void NameTempItem(FileItem& item) override;
  void StartDownload(const FileItem& item, const std::string& localPath) override;
  std::string FileMd5(FileItem& item) override;
  std::string DeleteLocalFile(const std::string& path) override;
  bool StartInstallWorker() override;
  void ShowError(const std::string& text, const std::string& caption) override;
  void ReturnToIdle() override;
  void ShowIdleView() override;
  double NowSeconds() override;

  void OnInstallResult(bool ok, const char* setupName);

  InstallView& view_;
  InstallState state_;
  FileList list_;
  std::unique_ptr<MSHTTPHelper> downloadHelper_;  // made by the first download, reused after it
  // Shared with the worker, which may still run when the session ends.
  std::shared_ptr<InstallJob> job_;
  InstallController controller_;
};

}  // namespace sl
