// Text at the Win32 boundary: UTF-8 to and from UTF-16, resource strings and system error texts.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace sl {

// UTF-8 (the portable core's text) to UTF-16 (Win32's) and back, at the boundary only.
[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view utf16);

// String-table texts.
// Loads string resource `id` into at most `maxUnits` UTF-16 units (terminator included).
[[nodiscard]] std::wstring LoadResourceString(HINSTANCE instance, UINT id, int maxUnits);

// The system's own text for an error code.
// The system's message for `code` (usually ending in CR LF), or none when it has no text.
[[nodiscard]] std::optional<std::wstring> SystemErrorText(DWORD code);

// The system's message, or "Không thể lấy thông điệp lỗi! (<code>)" with the code signed.
[[nodiscard]] std::wstring SystemErrorTextOrFallback(DWORD code);

}  // namespace sl
