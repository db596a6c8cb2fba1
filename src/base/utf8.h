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

// Every byte belongs to a well-formed sequence.
[[nodiscard]] bool IsValidUtf8(std::string_view text);

}  // namespace sl
