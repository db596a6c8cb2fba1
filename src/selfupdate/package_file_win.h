// The package file on disk, judged by package_rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "selfupdate/package_rules.h"

namespace sl {

// JudgePackage of the file at `path`; a file that cannot be read is NotExecutable (and logged).
[[nodiscard]] PackageVerdict JudgePackageFile(const std::string& path,
                                              std::optional<uint64_t> announcedLength);

// Whether the file at `path` has the launcher manifest's length and MD5; false when the manifest
// names either not, or the file cannot be read.
[[nodiscard]] bool PackageMatches(const std::string& path, std::optional<uint64_t> size,
                                  const std::string& md5);

}  // namespace sl
