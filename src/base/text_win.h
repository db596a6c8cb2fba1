// UTF-8 (the portable core's text) to UTF-16 (Win32's) and back, at the boundary only.
#pragma once

#include <string>
#include <string_view>

namespace sl {

[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view utf16);

}  // namespace sl
