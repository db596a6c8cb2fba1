#include "base/case_fold.h"

#include "base/utf8.h"

#include <cstdint>

namespace sl {
namespace {

// Upper case of a lower-case letter in the ranges named in the header; other code points unchanged.
char32_t UpperOf(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A pairs letters as upper, lower; two runs have the lower case first.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  if (c == 0x1A1 || c == 0x1B0) return c - 1;  // ơ, ư
  if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) return c & ~char32_t{1};
  if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;  // final sigma is sigma
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string FoldCaseUtf8(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  while (!text.empty()) {
    const Utf8Sequence next = DecodeUtf8(text);
    if (next.length == 0) {
      folded += text[0];
      text.remove_prefix(1);
      continue;
    }
    Encode(UpperOf(next.value), folded);
    text.remove_prefix(next.length);
  }
  return folded;
}

}  // namespace sl
