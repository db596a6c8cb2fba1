// The main window's procedure: its own messages, then everything else to the install controller.
#pragma once

#include <windows.h>

namespace sl {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace sl
