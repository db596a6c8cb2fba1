#include "base/text_win.h"

#include <windows.h>

#include <climits>
#include <memory>
#include <vector>

#include "base/text.h"

namespace sl {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > INT_MAX) return {};
  const int size = static_cast<int>(utf16.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::wstring LoadResourceString(HINSTANCE instance, UINT id, int maxUnits) {
  std::vector<wchar_t> buffer(static_cast<size_t>(maxUnits), L'\0');
  const int length = ::LoadStringW(instance, id, buffer.data(), maxUnits);
  return std::wstring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* buffer) const { ::LocalFree(buffer); }
};

}  // namespace

std::optional<std::wstring> SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
      code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(buffer);
  if (length == 0 || buffer == nullptr) return std::nullopt;
  return std::wstring(buffer, length);
}

std::wstring SystemErrorTextOrFallback(DWORD code) {
  if (auto text = SystemErrorText(code)) return *text;
  return Widen(Format("Không thể lấy thông điệp lỗi! (%d)", static_cast<int>(code)));
}

}  // namespace sl
