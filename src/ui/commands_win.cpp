#include "ui/commands_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <utility>

#include "base/build_info.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "net/transfer_rules.h"
#include "store/local_store_win.h"
#include "ui/commands.h"
#include "ui/folder_choice_win.h"
#include "ui/main_window_win.h"
#include "ui/skin_buttons_win.h"
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

namespace {

// The window of a view's control: a picture button or one of the static texts.
struct ControlWindow {
  HWND window = nullptr;
  bool button = false;
};

ControlWindow WindowOf(MainControls& controls, ViewControl control) {
  using C = ViewControl;
  static constexpr std::pair<ViewControl, HWND MainControls::*> kStatics[] = {
      {C::InstallDirField, &MainControls::installDirField},
      {C::InstallDirLabel, &MainControls::installDirLabel},
      {C::VersionLabel, &MainControls::versionLabel},
      {C::DownloadDirField, &MainControls::downloadDirField},
      {C::DownloadDirLabel, &MainControls::downloadDirLabel}};
  for (const auto& [which, field] : kStatics) {
    if (which == control) return {controls.*field, false};
  }
  // Any other control is a button, named by its command id.
  const SkinButton* found = FindSkinButton(controls.buttons, static_cast<uint16_t>(control));
  return {found != nullptr ? found->window : nullptr, true};
}

// A text a view or a choice sets, drawn at once.
void SetControlText(HWND window, const std::string& text) {
  ::SetWindowTextW(window, Widen(text).c_str());
  ::InvalidateRect(window, nullptr, TRUE);
}

// Switches to a view by its table: texts set, buttons shown with SW_SHOWNORMAL, statics with SW_SHOW,
// moves at the window's DPI and in the same z-order.
void ApplyView(MainControls& controls, const std::vector<ViewRow>& table) {
  for (const ViewRow& row : table) {
    const ControlWindow target = WindowOf(controls, row.control);
    if (target.window == nullptr) continue;
    if (row.text) SetControlText(target.window, *row.text);
    if (row.place) {
      MoveStatic(controls, target.window, ToRect(*row.place));
      continue;
    }
    ::ShowWindow(target.window, !row.shown ? SW_HIDE : target.button ? SW_SHOWNORMAL : SW_SHOW);
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
  if (busy) {
    ApplyView(controls, ProgressViewTable(DownloadLimitKBps()));
    return;
  }
  ApplyView(controls,
            ViewTable(ChooseIdleView(state.latestVersion, state.installedVersion, state.minimalVersion)));
}

void ChooseSpeedLimit(SkinButtons& buttons, HWND owner) {
  SkinButton* button = FindSkinButton(buttons, CMD_SPEED_LIMIT);
  UniqueMenu menu(::CreatePopupMenu());
  if (button == nullptr || !menu) return;
  const uint32_t current = DownloadLimitKBps();
  // Item ids are the choice's index plus one: TrackPopupMenu returns 0 for no choice.
  for (size_t i = 0; i < kSpeedLimitChoices.size(); ++i) {
    const UINT checked = kSpeedLimitChoices[i] == current ? MF_CHECKED : MF_UNCHECKED;
    ::AppendMenuW(menu.get(), MF_STRING | checked, i + 1,
                  Widen(SpeedLimitChoiceText(kSpeedLimitChoices[i])).c_str());
  }
  RECT place;
  ::GetWindowRect(button->window, &place);
  const int picked = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                      place.left, place.bottom, 0, owner, nullptr);
  if (picked <= 0 || static_cast<size_t>(picked) > kSpeedLimitChoices.size()) return;
  const uint32_t chosen = kSpeedLimitChoices[static_cast<size_t>(picked) - 1];
  SetDownloadLimitKBps(chosen);
  if (!StoreDownloadLimit(chosen)) WriteLog("SpeedLimit", 0, "The chosen speed limit could not be stored");
  WriteLog("SpeedLimit", 0, Format("Download speed limit set to %u KB/s (0: none)", chosen));
  SetControlText(button->window, SpeedLimitText(DownloadLimitKBps()));  // the cap in force
}

}  // namespace sl
