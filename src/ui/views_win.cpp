#include "ui/views_win.h"

#include "app/app_state_win.h"
#include "app/messages.h"
#include "ui/view_rules.h"

namespace sl {
namespace {

void ShowButton(AppState& app, uint16_t id, bool show) {
  if (SkinButton* button = FindSkinButton(app.buttons, id))
    ::ShowWindow(button->window, show ? SW_SHOWNORMAL : SW_HIDE);
}

void ShowStatic(HWND control, bool show) { ::ShowWindow(control, show ? SW_SHOW : SW_HIDE); }

void ShowStatics(AppState& app, bool show) {
  for (HWND control : {app.installDirField, app.installDirLabel, app.versionLabel, app.downloadDirField,
                       app.downloadDirLabel}) {
    ShowStatic(control, show);
  }
}

void MoveStatic(HWND control, int x, int y, int width, int height) {
  ::ShowWindow(control, SW_SHOW);
  ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER);
}

void ShowIdleView(AppState& app) {
  const InstallState& state = *app.install;
  switch (ChooseIdleView(state.latestVersion, state.installedVersion, state.minimalVersion)) {
    case IdleView::Play:
      for (uint16_t id : {CMD_BROWSE_INSTALL, CMD_BROWSE_DOWNLOAD, CMD_INSTALL, CMD_UPDATE})
        ShowButton(app, id, false);
      ShowButton(app, CMD_PLAY, true);
      // The download statics are hidden here, so the install ones move down into the gap.
      MoveStatic(app.installDirField, 290, 525, 480, 24);
      MoveStatic(app.installDirLabel, 290, 501, 320, 24);
      MoveStatic(app.versionLabel, 610, 501, 160, 24);
      ShowStatic(app.downloadDirField, false);
      ShowStatic(app.downloadDirLabel, false);
      break;
    case IdleView::Update:
      ShowButton(app, CMD_BROWSE_INSTALL, false);
      ShowButton(app, CMD_BROWSE_DOWNLOAD, true);
      ShowButton(app, CMD_INSTALL, false);
      ShowButton(app, CMD_UPDATE, true);
      ShowButton(app, CMD_PLAY, false);
      ShowStatics(app, true);
      break;
    case IdleView::Install:
      for (uint16_t id : {CMD_BROWSE_INSTALL, CMD_BROWSE_DOWNLOAD, CMD_INSTALL}) ShowButton(app, id, true);
      ShowButton(app, CMD_UPDATE, false);
      ShowButton(app, CMD_PLAY, false);
      ShowStatics(app, true);
      break;
  }
}

}  // namespace

void ShowView(AppState& app, bool busy) {
  if (app.progress) {
    ProgressControl& progress = *app.progress;
    progress.statusText.clear();
    Redraw(progress);
    SetTotalProgress(progress, 0, 100);
    if ((progress.visible != 0) != busy) {
      progress.visible = busy ? 1 : 0;
      Show(progress);
    }
  }
  if (busy) {
    ShowStatics(app, false);
    ShowButton(app, CMD_BROWSE_INSTALL, false);
    ShowButton(app, CMD_BROWSE_DOWNLOAD, false);
    return;
  }
  if (app.install) ShowIdleView(app);
}

}  // namespace sl
