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

}  // namespace sl
