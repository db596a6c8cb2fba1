#include "ui/commands_win.h"

#include <windows.h>
#include <shellapi.h>

#include "base/build_info.h"
#include "base/text_win.h"
#include "ui/commands.h"
#include "ui/folder_choice_win.h"
#include "ui/main_window_win.h"
#include "ui/speed_limit_menu_win.h"
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

// The session reads, checks and plans off the window; the pressed button waits disabled meanwhile.
void StartRun(MainWindow& main, uint16_t pressedId) {
  InstallSession& session = main.Session();
  // Under a question or the self-update window a press does nothing, however it came.
  if (!::IsWindowEnabled(main.Window()) || session.Busy() || main.DeferPress(pressedId)) return;
  MainControls& controls = main.Controls();
  controls.activeStartButton = pressedId;
  if (SkinButton* button = FindSkinButton(controls.buttons, pressedId)) ::EnableWindow(button->window, FALSE);
  // The server was out of reach at start; it may be back.
  session.Press(pressedId == CMD_INSTALL && session.State().latestVersion == 0);
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
    case CMD_PAUSE:
      main.Session().PausePressed();
      break;
    case CMD_SPEED_LIMIT:
      ChooseSpeedLimit(main.Controls().buttons, main.Window());
      break;
    default:
      break;
  }
}

}  // namespace sl
