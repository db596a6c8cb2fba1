#include "base/resource_string_win.h"

#include <vector>

namespace sl {

std::wstring LoadResourceString(HINSTANCE instance, UINT id, int maxUnits) {
  std::vector<wchar_t> buffer(static_cast<size_t>(maxUnits), L'\0');
  const int length = ::LoadStringW(instance, id, buffer.data(), maxUnits);
  return std::wstring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace sl
