// String-table texts.
#pragma once

#include <windows.h>

#include <string>

namespace sl {

// Loads string resource `id` into at most `maxUnits` UTF-16 units (terminator included).
[[nodiscard]] std::wstring LoadResourceString(HINSTANCE instance, UINT id, int maxUnits);

}  // namespace sl
