// Text helpers of the portable core: ASCII case and white space, file-system case folding, bounded decimal
// parsing, printf into std::string, UTF-8 decoding, saturating conversions.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// ASCII letter case and white space, for protocol texts, manifests, file extensions and device
// names: no locale involved.

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

// Letter case as Windows file systems ignore it, for telling whether two names are one file.

// `text` (UTF-8) with its letters upper-cased: ASCII, Latin-1, Latin Extended-A, the Vietnamese
// letters, Greek and Cyrillic, which covers the names a release list may carry. Bytes that are not
// well-formed UTF-8 are kept as they are.
[[nodiscard]] std::string FoldCaseUtf8(std::string_view text);

// Decimal numbers in texts that come from servers and the registry: bounded, never undefined.

// The leading digits after optional white space and a sign, as atoi reads them; none when there is
// no digit or the value does not fit an int32 (where atoi would give garbage or 0).
[[nodiscard]] std::optional<int32_t> LeadingInt32(std::string_view text);

// A text of decimal digits only (no sign, no space); none when empty, with any other character,
// or past UINT64_MAX.
[[nodiscard]] std::optional<uint64_t> ParseDecimalDigits(std::string_view text);

// printf-style formatting into std::string (UTF-8), identical on every compiler.

[[nodiscard]] std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] std::string FormatV(const char* format, va_list args);

// Reading UTF-8 as Windows' conversions do: only well-formed sequences are characters.

struct Utf8Sequence {
  size_t length = 0;  // bytes of the sequence; 0 when malformed
  char32_t value = 0;
};

// The sequence at the start of `text`. Malformed: an empty text, a stray or truncated sequence, an
// overlong form, a surrogate or a value past U+10FFFF.
[[nodiscard]] Utf8Sequence DecodeUtf8(std::string_view text);

// A character's size in UTF-8 bytes and in UTF-16 units. A malformed sequence counts as one byte
// and one unit, as the UTF-16 conversion turns it into one replacement character.
struct Utf8Char {
  size_t bytes;
  size_t utf16Units;
};

// The character at the start of text.
[[nodiscard]] Utf8Char NextChar(std::string_view text);

// The text's length in UTF-16 units, as Windows counts it.
[[nodiscard]] size_t Utf16Length(std::string_view text);

// Every byte belongs to a well-formed sequence.
[[nodiscard]] bool IsValidUtf8(std::string_view text);

// Converting an out-of-range double to an integer is undefined behaviour: these conversions
// saturate instead (an infinite estimate becomes the largest value), and NaN counts as 0.
template <typename Int>
[[nodiscard]] Int SaturatingCast(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  if (value <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  return static_cast<Int>(value);
}

}  // namespace sl
