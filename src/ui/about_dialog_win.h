// The modal about box (dialog resource 103).
#pragma once

#include <windows.h>

namespace sl {

void ShowAboutBox(HINSTANCE instance, HWND owner);

}  // namespace sl
