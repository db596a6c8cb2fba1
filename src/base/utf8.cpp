#include "base/utf8.h"

namespace sl {

Utf8Sequence DecodeUtf8(std::string_view text) {
  if (text.empty()) return {};
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {1, lead};
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || text.size() < length) return {};
  char32_t value = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80) return {};
    value = (value << 6) | (next & 0x3F);
  }
  // Below these a sequence is an overlong form of a shorter one.
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
  return {length, value};
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const Utf8Sequence next = DecodeUtf8(text);
    if (next.length == 0) return false;
    text.remove_prefix(next.length);
  }
  return true;
}

Utf8Char NextChar(std::string_view text) {
  const Utf8Sequence next = DecodeUtf8(text);
  if (next.length == 0) return {1, 1};
  return {next.length, next.value > 0xFFFF ? size_t{2} : size_t{1}};  // beyond the BMP: a surrogate pair
}

size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  while (!text.empty()) {
    const Utf8Char next = NextChar(text);
    units += next.utf16Units;
    text.remove_prefix(next.bytes);
  }
  return units;
}

}  // namespace sl
