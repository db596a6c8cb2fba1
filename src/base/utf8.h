// Reading UTF-8 as Windows' conversions do: only well-formed sequences are characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace sl {

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

}  // namespace sl
