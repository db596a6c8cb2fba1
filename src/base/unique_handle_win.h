// Owners of Win32 handles and GDI states: closed, deleted or restored on every way out.
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

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};

struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DestroyMenu(h); }
};

template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

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

}  // namespace sl
