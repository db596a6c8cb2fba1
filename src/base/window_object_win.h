// Windows whose procedure belongs to an object: the object is passed as CreateWindowExW's last
// argument, bound to the window at WM_NCCREATE (the first message that carries it) and unbound at
// WM_NCDESTROY, so no message ever reaches a destroyed object or a global.
#pragma once

#include <windows.h>

namespace sl {

// The object bound to `window`, binding it first when `message` is WM_NCCREATE; null before the
// binding and after WM_NCDESTROY (which it unbinds: the caller handles that message last).
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<T*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
  }
  auto* object = reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return object;
}

// The object bound to `window` outside its procedure (null when none).
template <typename T>
T* BoundObject(HWND window) {
  return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Registers a window class of this module once per process; false when it cannot be registered.
inline bool RegisterClassOnce(const WNDCLASSEXW& windowClass) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) return true;
  return ::RegisterClassExW(&windowClass) != 0;
}

// A control class that paints all of itself: arrow cursor, no background brush.
inline bool RegisterControlClassOnce(HINSTANCE instance, const wchar_t* className, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  return RegisterClassOnce(windowClass);
}

// The presses a control whose surface hit-tests as a caption must swallow: left to the default
// procedure they would move the control, maximise it or open a system menu for it.
[[nodiscard]] constexpr bool IsCaptionPress(UINT message) {
  return message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK || message == WM_NCRBUTTONDOWN ||
         message == WM_NCRBUTTONUP;
}

}  // namespace sl
