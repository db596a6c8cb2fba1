// MD5 of an open file (base/md5.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace sl {

// Hashes `file` from its current position to its end in 1 MiB reads, posting WM_MD5_PROGRESS
// (bytes so far, `size`) to `progressWindow` when given, then WM_MD5_RESULT. Returns 32 lower-case
// hexadecimal digits, or an empty text when the file could not be read.
[[nodiscard]] std::string GetFileMd5(HANDLE file, uint64_t size, HWND progressWindow);

}  // namespace sl
