// The system's own text for an error code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sl {

// The system's message for `code` (usually ending in CR LF), or none when it has no text.
[[nodiscard]] std::optional<std::wstring> SystemErrorText(DWORD code);

// The system's message, or "Không thể lấy thông điệp lỗi! (<code>)" with the code signed.
[[nodiscard]] std::wstring SystemErrorTextOrFallback(DWORD code);

}  // namespace sl
