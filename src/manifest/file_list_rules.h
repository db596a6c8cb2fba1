// What a release file list may ask for. Its entries name files that are written into the player's
// folders, so one bad entry refuses the whole list: better no update than a file outside the
// download folder, on a device name, or under a name Windows silently changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sl {

// Byte limits of UTF-8 text, so the UTF-16 form fits the Win32 buffers it ends up in (never more
// UTF-16 units than UTF-8 bytes). URLs could be stored up to 511 units, but the download client
// opens them through a MAX_PATH buffer: a longer one is refused here rather than after hours of
// downloading the files before it.
inline constexpr size_t kMaxUrlBytes = 259;
inline constexpr size_t kMaxFileNameBytes = 259;

// A size field: decimal digits, optionally with blanks around them and a leading "+"; empty is 0.
// No result for anything else, such as "-1", "12abc" or more than 64 bits.
[[nodiscard]] std::optional<uint64_t> ParseSizeField(std::string_view field);

// Why a file name cannot be used as it is on Windows; nullptr when it can.
[[nodiscard]] const char* FileNameProblem(std::string_view name);

// Why an entry (its URL, MD5 and size fields, untrimmed) is refused; nullptr when it is accepted.
[[nodiscard]] const char* FileListEntryProblem(std::string_view url, std::string_view md5,
                                               std::string_view sizeField);

}  // namespace sl
