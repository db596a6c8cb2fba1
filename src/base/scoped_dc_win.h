// Puts back a device context's selections, colours and modes when a painting scope ends.
#pragma once

#include <windows.h>

namespace sl {

class ScopedDcState {
 public:
  explicit ScopedDcState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~ScopedDcState() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  ScopedDcState(const ScopedDcState&) = delete;
  ScopedDcState& operator=(const ScopedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { ::EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  [[nodiscard]] HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace sl
