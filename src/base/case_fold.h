// Letter case as Windows file systems ignore it, for telling whether two names are one file.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// `text` (UTF-8) with its letters upper-cased: ASCII, Latin-1, Latin Extended-A, the Vietnamese
// letters, Greek and Cyrillic, which covers the names a release list may carry. Bytes that are not
// well-formed UTF-8 are kept as they are.
[[nodiscard]] std::string FoldCaseUtf8(std::string_view text);

}  // namespace sl
