// The main window's two views: idle (by install mode) and progress.
#pragma once

#include "store/install_state.h"
#include "ui/main_controls_win.h"

namespace sl {

// busy: the progress view; otherwise the idle view of the install mode `state` is in.
void ShowView(MainControls& controls, const InstallState& state, bool busy);

}  // namespace sl
