// The progress view's bandwidth cap: its button's text and the menu dropped below it.
#pragma once

#include <windows.h>

#include "ui/skin_buttons_win.h"

namespace sl {

// The button shows the cap in force.
void ShowSpeedLimit(SkinButtons& buttons);

// Drops the menu of caps below the button; a choice applies to every transfer at once and is kept
// for later runs.
void ChooseSpeedLimit(SkinButtons& buttons, HWND owner);

}  // namespace sl
