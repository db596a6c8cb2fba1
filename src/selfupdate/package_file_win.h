// The package file on disk, judged by package_rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/unique_handle_win.h"

#include "selfupdate/package_rules.h"

namespace sl {

// JudgePackage of the file at `path`; a file that cannot be read is NotExecutable (and logged).
[[nodiscard]] PackageVerdict JudgePackageFile(const std::string& path,
                                              std::optional<uint64_t> announcedLength);

// Whether the package read through `held` has the launcher manifest's length and MD5, each when
// the manifest names it.
[[nodiscard]] bool MatchesManifest(HANDLE held, std::optional<uint64_t> size, const std::string& md5);

}  // namespace sl
