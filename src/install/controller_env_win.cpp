#include "install/controller_env_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "app/messages.h"
#include "base/system_message_win.h"
#include "base/text_win.h"
#include "install/clock_win.h"
#include "install/install_worker_win.h"
#include "install/md5_win.h"
#include "manifest/manifest_win.h"
#include "store/file_system_win.h"
#include "ui/folder_choice_win.h"
#include "ui/views_win.h"

namespace sl {
namespace {

class WinControllerEnv final : public InstallControllerEnv {
 public:
  explicit WinControllerEnv(AppState& app) : app_(app) {}

  void SetStatusLine(const std::string& text) override {
    if (app_.progress) app_.progress->statusText = text;
  }
  void SetRemainingLine(const std::string& text) override {
    if (app_.progress) app_.progress->timeText = text;
  }
  void SetCurrentPercent(int32_t percent, const std::string& text) override {
    if (!app_.progress) return;
    app_.progress->currentPercent = percent;
    app_.progress->currentText = text;
  }
  void SetTotalProgress(uint64_t done, uint64_t total) override {
    if (app_.progress)
      sl::SetTotalProgress(*app_.progress, static_cast<double>(done), static_cast<double>(total));
  }
  void Redraw() override {
    if (app_.progress) sl::Redraw(*app_.progress);
  }
  std::string GetItemLocalPath(FileItem& item) override { return sl::GetItemLocalPath(item); }
  void NameTempItem(FileItem& item) override { MakeTempName(item, NowUtcTime()); }
  void StartDownload(const FileItem& item, const std::string& localPath) override {
    // The main window's helper is made by the first download and reused for every file after it.
    if (!app_.downloadHelper) app_.downloadHelper = MSHTTPHelper::Init(app_.mainWindow);
    app_.downloadHelper->StartDownload(item.url, localPath, item.size);
  }
  std::string FileMd5(FileItem& item) override {
    const auto path = WidePath(sl::GetItemLocalPath(item));
    if (!path) return {};
    UniqueFile file(::CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    uint64_t size = item.size;
    if (size == 0) {
      LARGE_INTEGER onDisk{};
      if (::GetFileSizeEx(file.get(), &onDisk)) size = static_cast<uint64_t>(onDisk.QuadPart);
    }
    return GetFileMd5(file.get(), size, app_.mainWindow);
  }
  std::string DeleteLocalFile(const std::string& path) override {
    const auto wide = WidePath(path);
    if (!wide) return Narrow(SystemErrorTextOrFallback(ERROR_FILENAME_EXCED_RANGE));
    if (::DeleteFileW(wide->c_str())) return {};
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return {};
    std::string text = Narrow(SystemErrorTextOrFallback(code));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
      text.pop_back();
    return text;
  }
  bool StartInstallWorker() override { return sl::StartInstallWorker(*app_.install, TheFileList()); }
  int32_t PlanNextStep() override { return sl::PlanNextStep(*app_.install); }
  void ShowError(const std::string& text, const std::string& caption) override {
    ::MessageBoxW(app_.mainWindow, Widen(text).c_str(), Widen(caption).c_str(), MB_ICONERROR);
  }
  void ReturnToIdle() override { ::SendMessageW(app_.mainWindow, WM_COMMAND, CMD_RETURN_TO_IDLE, 0); }
  // The captions follow the mode the run leaves behind ("Phiên bản 122", not the install offer).
  void ShowIdleView() override { RefreshFolderTexts(app_); }
  double NowSeconds() override { return sl::NowSeconds(); }

 private:
  AppState& app_;
};

}  // namespace

std::unique_ptr<InstallControllerEnv> MakeWinControllerEnv(AppState& app) {
  return std::make_unique<WinControllerEnv>(app);
}

}  // namespace sl
