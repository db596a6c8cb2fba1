// The main window's companions on the desktop: the about box, a window centred on its screen, and the GDI+
// session the pictures need.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "ui/view_rules.h"

namespace sl {

// The modal about box (dialog resource 103).

void ShowAboutBox(HINSTANCE instance, HWND owner);

// Centring a top-level window on the primary screen.

inline void CenterOnScreen(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const Origin origin = CenterOrigin(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                     rect.right - rect.left, rect.bottom - rect.top);
  ::SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

// GDI+ for the lifetime of one object: started by the constructor, stopped by the destructor on
// every way out of the scope that owns it.

class GdiplusSession {
 public:
  GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
  }
  ~GdiplusSession() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  // False when GDI+ could not start: its pictures then fail to load and draw nothing.
  [[nodiscard]] bool started() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace sl
