#include "install/install_controller_win.h"

#include <string>

#include "app/app_state_win.h"
#include "app/messages.h"
#include "base/text_win.h"
#include "install/startup_rules.h"
#include "manifest/manifest_win.h"
#include "store/local_store_win.h"
#include "ui/folder_choice_win.h"

namespace sl {
namespace {

std::string ReadProgramFiles() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"ProgramFiles", buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Narrow(std::wstring_view(buffer, length));
}

void OnStartupCheck(AppState& app) {
  InstallState& state = *app.install;
  ReadVersionManifest(state);
  DetectInstallLocation(state);
  if (state.installDir.empty()) {
    const std::string folder = DefaultInstallDir(ReadProgramFiles());
    if (!folder.empty()) SetInstallDir(state, folder, true);
  }
  RefreshFolderTexts(app);
}

}  // namespace

void OnInstallMessage(AppState& app, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!app.install || !app.controller) return;
  switch (message) {
    case WM_STARTUP_CHECK:
      OnStartupCheck(app);
      break;
    case WM_DOWNLOAD_PROGRESS:
      if (app.downloadHelper) app.downloadHelper->ProgressTaken();
      if (app.progress)
        app.controller->OnDownloadProgress(static_cast<uint64_t>(wParam), static_cast<uint64_t>(lParam));
      break;
    case WM_DOWNLOAD_STATUS: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      app.controller->OnDownloadStatus(static_cast<int32_t>(wParam),
                                       text != nullptr ? Narrow(text) : std::string());
      break;
    }
    case WM_INSTALL_RESULT: {
      const auto* setupName = reinterpret_cast<const char*>(lParam);
      app.controller->OnInstallResult(wParam != 0, setupName != nullptr ? setupName : "");
      break;
    }
    default:
      break;
  }
}

}  // namespace sl
