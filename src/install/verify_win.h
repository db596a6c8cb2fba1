// The checks of a file before it is trusted: its MD5 and its Authenticode signature.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "install/install_rules.h"

namespace sl {

// MD5 of an open file (base/md5.h).

// Hashes `file` from its current position to its end in 1 MiB reads, posting WM_MD5_PROGRESS
// (bytes so far, `size`) to `progressWindow` when given, then WM_MD5_RESULT. Returns 32 lower-case
// hexadecimal digits, or an empty text when the file could not be read.
[[nodiscard]] std::string GetFileMd5(HANDLE file, uint64_t size, HWND progressWindow);

// Authenticode on Windows: the signature of a file, read with the platform's trust verification,
// and the rule of install_rules.h applied against this program's own signature.

// Whether the program at `path`, read through `held` (open for reading, not shared with writers,
// so it cannot change between this check and its start), may be started elevated or replace this
// one (install_rules.h). The first check of an unsigned program logs once that it skips them.
// Any thread.
[[nodiscard]] bool SignedLikeThisProgram(const std::string& path, HANDLE held);

}  // namespace sl
