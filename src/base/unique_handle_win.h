// Owners of Win32 handles and GDI states, closed, deleted or restored on every way out, and the C++ objects a
// window is bound to at WM_NCCREATE.
#pragma once

#include <windows.h>

#include <utility>

namespace sl {

// One move-only owner for every kind of Win32 handle, parameterised by traits.
// Traits: `using Type = ...; static Type Invalid(); static void Close(Type);`
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  [[nodiscard]] Type get() const { return handle_; }
  [[nodiscard]] bool valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }

  // Closing keeps the caller's last-error code: cleanup must not hide why a call failed.
  void reset(Type handle = Traits::Invalid()) {
    if (handle_ != handle && valid()) {
      const DWORD lastError = ::GetLastError();
      Traits::Close(handle_);
      ::SetLastError(lastError);
    }
    handle_ = handle;
  }

  [[nodiscard]] Type release() { return std::exchange(handle_, Traits::Invalid()); }

  // For out-parameters of creating calls: closes what is held, then lends the slot.
  [[nodiscard]] Type* put() {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::Invalid();
};

// The traits of a handle that `kClose` ends and that is `Type{}` when empty, or INVALID_HANDLE_VALUE
// where the creating call reports failure that way (files, searches).
template <typename T, auto kClose, bool kInvalidIsMinusOne = false>
struct HandleTraits {
  using Type = T;
  static Type Invalid() {
    if constexpr (kInvalidIsMinusOne) {
      return INVALID_HANDLE_VALUE;
    } else {
      return Type{};
    }
  }
  static void Close(Type h) { kClose(h); }
};

using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle>>;
using UniqueFile = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle, true>>;
using UniqueRegKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey>>;
using UniqueFindHandle = UniqueHandle<HandleTraits<HANDLE, ::FindClose, true>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, ::DestroyMenu>>;
using UniqueBrush = UniqueHandle<HandleTraits<HBRUSH, ::DeleteObject>>;
using UniqueFont = UniqueHandle<HandleTraits<HFONT, ::DeleteObject>>;
using UniquePen = UniqueHandle<HandleTraits<HPEN, ::DeleteObject>>;
using UniqueBitmap = UniqueHandle<HandleTraits<HBITMAP, ::DeleteObject>>;

// The one way the program opens an existing file to read it: sharing it as `share` allows (by
// default others may read it too, nobody may write or delete it meanwhile). An empty owner, with
// GetLastError's reason, when it cannot.
[[nodiscard]] inline UniqueFile OpenFileForReading(const wchar_t* path, DWORD share = FILE_SHARE_READ,
                                                   DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return UniqueFile(::CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

// Puts back a device context's selections, colours and modes when a painting scope ends.
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

// Windows whose procedure belongs to an object: the object is passed as CreateWindowExW's last
// argument, bound to the window at WM_NCCREATE (the first message that carries it) and unbound at
// WM_NCDESTROY, so no message ever reaches a destroyed object or a global.

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
