// The window's DPI and RECT scaling on top of dpi_rules.h.
#pragma once

#include <windows.h>

#include "ui/dpi_rules.h"

namespace sl {

// GetDpiForWindow, or 96 for a window that has none (gone, or a system that cannot tell).
[[nodiscard]] inline int WindowDpi(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi != 0 ? static_cast<int>(dpi) : kBaseDpi;
}

[[nodiscard]] inline RECT ScaleRect(const RECT& rect, int dpi) {
  const SkinRect scaled = ScaleRect(SkinRect{rect.left, rect.top, rect.right, rect.bottom}, dpi);
  return RECT{scaled.left, scaled.top, scaled.right, scaled.bottom};
}

}  // namespace sl
