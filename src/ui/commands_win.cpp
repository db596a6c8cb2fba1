#include "ui/commands_win.h"

#include <windows.h>
#include <shellapi.h>

#include "base/build_info.h"
#include "base/text_win.h"
#include "install/launch_win.h"
#include "ui/commands.h"
#include "ui/folder_choice_win.h"
#include "ui/main_window_win.h"
#include "ui/view_rules.h"

namespace sl {
namespace {

void ReturnToIdle(MainWindow& main) {
  MainControls& controls = main.Controls();
  if (SkinButton* button = FindSkinButton(controls.buttons, controls.activeStartButton))
    ::EnableWindow(button->window, TRUE);
  controls.activeStartButton = kNoStartButton;
  main.ShowView(false);
}

void ShowPlanFailure(HWND owner) {
  ::MessageBoxW(owner, L"Không lấy danh sách tệp tin cần tải. Kiểm tra lại mạng và thử lại!", L"Thông báo!",
                MB_ICONERROR);
}

void StartRun(MainWindow& main, uint16_t pressedId) {
  InstallSession& session = main.Session();
  InstallState& state = session.State();
  if (pressedId == CMD_INSTALL && state.latestVersion == 0) {
    // The server was out of reach at start; it may be back. The captions and the free-space
    // verdict follow what it says now.
    session.ReadVersionManifest();
    RefreshFolderTexts(main);
    if (state.latestVersion == 0) {
      ShowPlanFailure(main.Window());
      return;
    }
  }
  const std::string_view warning = StartWarning(state.spaceWarning);
  if (!warning.empty()) {
    ::MessageBoxW(main.Window(), Widen(warning).c_str(), L"Thông báo!", MB_ICONWARNING);
    return;
  }
  const int32_t plan = session.PlanNextStep();
  if (plan == 0) {
    LaunchGamePatcher(main.Window(), state);
    RefreshFolderTexts(main);  // a patcher that could not start made the versions be read again
    return;
  }
  if (plan < 0) {
    ShowPlanFailure(main.Window());
    return;
  }

  MainControls& controls = main.Controls();
  controls.activeStartButton = pressedId;
  if (SkinButton* button = FindSkinButton(controls.buttons, pressedId)) ::EnableWindow(button->window, FALSE);
  main.ShowView(true);
  session.StartRun();
}

}  // namespace

void HandleCommand(MainWindow& main, uint16_t commandId) {
  switch (commandId) {
    case CMD_RETURN_TO_IDLE:
      ReturnToIdle(main);
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
      OnBrowseInstall(main);
      break;
    case CMD_BROWSE_DOWNLOAD:
      OnBrowseDownload(main);
      break;
    case CMD_SHOW_PROGRESS:
      if (::IsWindowVisible(main.Controls().installDirField)) main.ShowView(true);
      break;
    case CMD_INSTALL:
    case CMD_UPDATE:
    case CMD_PLAY:
      StartRun(main, commandId);
      break;
    default:
      break;
  }
}

}  // namespace sl
