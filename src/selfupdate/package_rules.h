// Whether a downloaded package may replace the main file: it must be a whole x86 or x86-64 Windows
// program (a publisher may ship either).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sl {

// How much of the start of a package JudgePackage needs: the headers and the section table.
inline constexpr size_t kPackageHeadBytes = 4096;

enum class PackageVerdict {
  Ready,          // a complete x86 or x86-64 Windows executable
  Incomplete,     // shorter than announced, or than its own sections say: a transfer cut short
  NotExecutable,  // anything else; waiting for more bytes cannot mend it
};

// `head` is the file's first kPackageHeadBytes bytes (all of a shorter file) and `fileSize` its
// length on disk; `announcedLength` is the Content-Length of the transfer that wrote it, when known.
[[nodiscard]] PackageVerdict JudgePackage(std::string_view head, uint64_t fileSize,
                                          std::optional<uint64_t> announcedLength);

}  // namespace sl
