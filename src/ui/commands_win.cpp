#include "ui/commands_win.h"

#include <windows.h>
#include <shellapi.h>

#include "app/app_state_win.h"
#include "app/messages.h"
#include "base/build_info.h"
#include "base/text_win.h"
#include "install/launch_win.h"
#include "manifest/manifest_win.h"
#include "ui/folder_choice_win.h"
#include "ui/view_rules.h"
#include "ui/views_win.h"

namespace sl {
namespace {

constexpr uint16_t CMD_SHOW_PROGRESS = 1719;

void ReturnToIdle(AppState& app) {
  if (SkinButton* button = FindSkinButton(app.buttons, app.activeStartButton))
    ::EnableWindow(button->window, TRUE);
  app.activeStartButton = kNoStartButton;
  ShowView(app, false);
}

void ShowPlanFailure(AppState& app) {
  ::MessageBoxW(app.mainWindow, L"Không lấy danh sách tệp tin cần tải. Kiểm tra lại mạng và thử lại!",
                L"Thông báo!", MB_ICONERROR);
}

void StartRun(AppState& app, uint16_t pressedId) {
  InstallState& state = *app.install;
  if (pressedId == CMD_INSTALL && state.latestVersion == 0) {
    // The server was out of reach at start; it may be back. The captions and the free-space
    // verdict follow what it says now.
    ReadVersionManifest(state);
    RefreshFolderTexts(app);
    if (state.latestVersion == 0) {
      ShowPlanFailure(app);
      return;
    }
  }
  const std::string_view warning = StartWarning(state.spaceWarning);
  if (!warning.empty()) {
    ::MessageBoxW(app.mainWindow, Widen(warning).c_str(), L"Thông báo!", MB_ICONWARNING);
    return;
  }
  const int32_t plan = PlanNextStep(state);
  if (plan == 0) {
    LaunchGamePatcher(state);
    RefreshFolderTexts(app);  // a patcher that could not start made the versions be read again
    return;
  }
  if (plan < 0) {
    ShowPlanFailure(app);
    return;
  }

  app.activeStartButton = pressedId;
  if (SkinButton* button = FindSkinButton(app.buttons, pressedId)) ::EnableWindow(button->window, FALSE);
  ShowView(app, true);
  app.controller->StartRun();
}

}  // namespace

void HandleCommand(AppState& app, uint16_t commandId) {
  if (!app.install) return;
  switch (commandId) {
    case CMD_RETURN_TO_IDLE:
      ReturnToIdle(app);
      break;
    case CMD_LINK_GUIDE:
    case CMD_LINK_HOME:
    case CMD_LINK_EVENTS:
    case CMD_LINK_TOURNAMENTS:
    case CMD_LINK_REGISTER:
    case CMD_LINK_TOPUP: {
      const std::wstring url = Widen(LinkUrl(commandId, WebHost(), TopupT()));
      ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    }
    case CMD_BROWSE_INSTALL:
      OnBrowseInstall(app);
      break;
    case CMD_BROWSE_DOWNLOAD:
      OnBrowseDownload(app);
      break;
    case CMD_SHOW_PROGRESS:
      if (::IsWindowVisible(app.installDirField)) ShowView(app, true);
      break;
    case CMD_INSTALL:
    case CMD_UPDATE:
    case CMD_PLAY:
      StartRun(app, commandId);
      break;
    default:
      break;
  }
}

}  // namespace sl
