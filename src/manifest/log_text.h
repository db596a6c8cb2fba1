// Server text quoted in log lines: bounded, so a hostile or broken answer cannot flood Log.txt.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sl {

// At most maxBytes of text, cut before a UTF-8 sequence rather than inside it (a split character
// would turn into a replacement mark when the log converts to UTF-16).
[[nodiscard]] std::string ClipUtf8(std::string_view text, size_t maxBytes);

}  // namespace sl
