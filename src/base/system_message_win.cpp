#include "base/system_message_win.h"

#include <memory>

#include "base/format.h"
#include "base/text_win.h"

namespace sl {
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
