// GDI+ for the lifetime of one object: started by the constructor, stopped by the destructor on
// every way out of the scope that owns it.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace sl {

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
