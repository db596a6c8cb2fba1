// ASCII letter case and white space, for protocol texts, manifests, file extensions and device
// names: no locale involved.
#pragma once

#include <string_view>

namespace sl {

[[nodiscard]] constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// White space as the C locale's isspace knows it: space, \t, \n, \v, \f, \r.
[[nodiscard]] constexpr bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

[[nodiscard]] constexpr std::string_view TrimAsciiSpace(std::string_view text) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
  return text;
}

[[nodiscard]] constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

[[nodiscard]] constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

[[nodiscard]] constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace sl
