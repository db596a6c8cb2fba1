// Centring a top-level window on the primary screen.
#pragma once

#include <windows.h>

#include "ui/view_rules.h"

namespace sl {

inline void CenterOnScreen(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const Origin origin = CenterOrigin(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                     rect.right - rect.left, rect.bottom - rect.top);
  ::SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

}  // namespace sl
