#include "base/decimal.h"

#include "base/ascii.h"

namespace sl {

std::optional<int32_t> LeadingInt32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t firstDigit = i;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) return std::nullopt;  // stop before int64 could overflow
  }
  if (i == firstDigit) return std::nullopt;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<uint64_t> ParseDecimalDigits(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace sl
