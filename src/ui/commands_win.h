// The main window's commands and the views they lead to: the press of each button, the idle and progress
// views, the speed limit's menu.
#pragma once

#include <windows.h>

#include <cstdint>

#include "store/install_state.h"
#include "ui/main_controls_win.h"
#include "ui/skin_buttons_win.h"

namespace sl {

// The main window's command handler: links, folder choices, run start and return to idle.

class MainWindow;

void HandleCommand(MainWindow& main, uint16_t commandId);

// The main window's two views: idle (by install mode) and progress.

// busy: the progress view; otherwise the idle view of the install mode `state` is in.
void ShowView(MainControls& controls, const InstallState& state, bool busy);

// The progress view's bandwidth cap: the menu dropped below its button.

// Drops the menu of caps below the button; a choice applies to every transfer at once and is kept
// for later runs.
void ChooseSpeedLimit(SkinButtons& buttons, HWND owner);

}  // namespace sl
