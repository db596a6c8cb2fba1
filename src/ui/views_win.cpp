#include "ui/views_win.h"

#include "ui/commands.h"
#include "ui/speed_limit_menu_win.h"
#include "ui/view_rules.h"

namespace sl {
namespace {

void ShowButton(MainControls& controls, uint16_t id, bool show) {
  if (SkinButton* button = FindSkinButton(controls.buttons, id))
    ::ShowWindow(button->window, show ? SW_SHOWNORMAL : SW_HIDE);
}

void ShowStatic(HWND control, bool show) { ::ShowWindow(control, show ? SW_SHOW : SW_HIDE); }

void ShowStatics(MainControls& controls, bool show) {
  for (HWND control : {controls.installDirField, controls.installDirLabel, controls.versionLabel,
                       controls.downloadDirField, controls.downloadDirLabel}) {
    ShowStatic(control, show);
  }
}

void ShowIdleView(MainControls& controls, const InstallState& state) {
  switch (ChooseIdleView(state.latestVersion, state.installedVersion, state.minimalVersion)) {
    case IdleView::Play:
      for (uint16_t id : {CMD_BROWSE_INSTALL, CMD_BROWSE_DOWNLOAD, CMD_INSTALL, CMD_UPDATE})
        ShowButton(controls, id, false);
      ShowButton(controls, CMD_PLAY, true);
      // The download statics are hidden here, so the install ones move down into the gap.
      MoveStatic(controls, controls.installDirField, RECT{290, 525, 770, 549});
      MoveStatic(controls, controls.installDirLabel, RECT{290, 501, 610, 525});
      MoveStatic(controls, controls.versionLabel, RECT{610, 501, 770, 525});
      ShowStatic(controls.downloadDirField, false);
      ShowStatic(controls.downloadDirLabel, false);
      break;
    case IdleView::Update:
      ShowButton(controls, CMD_BROWSE_INSTALL, false);
      ShowButton(controls, CMD_BROWSE_DOWNLOAD, true);
      ShowButton(controls, CMD_INSTALL, false);
      ShowButton(controls, CMD_UPDATE, true);
      ShowButton(controls, CMD_PLAY, false);
      ShowStatics(controls, true);
      break;
    case IdleView::Install:
      for (uint16_t id : {CMD_BROWSE_INSTALL, CMD_BROWSE_DOWNLOAD, CMD_INSTALL})
        ShowButton(controls, id, true);
      ShowButton(controls, CMD_UPDATE, false);
      ShowButton(controls, CMD_PLAY, false);
      ShowStatics(controls, true);
      break;
  }
}

}  // namespace

void ShowView(MainControls& controls, const InstallState& state, bool busy) {
  if (controls.progress) {
    ProgressControl& progress = *controls.progress;
    progress.statusText.clear();
    if (progress.window != nullptr) ::SetWindowTextW(progress.window, L"");
    Redraw(progress);
    SetTotalProgress(progress, 0, 100);
    if ((progress.visible != 0) != busy) {
      progress.visible = busy ? 1 : 0;
      Show(progress);
    }
  }
  for (uint16_t id : {CMD_PAUSE, CMD_SPEED_LIMIT}) ShowButton(controls, id, busy);
  if (busy) ShowSpeedLimit(controls.buttons);
  if (busy) {
    ShowStatics(controls, false);
    ShowButton(controls, CMD_BROWSE_INSTALL, false);
    ShowButton(controls, CMD_BROWSE_DOWNLOAD, false);
    return;
  }
  ShowIdleView(controls, state);
}

}  // namespace sl
