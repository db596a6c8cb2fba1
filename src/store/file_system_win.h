// The disk as the local store sees it. Paths arrive as UTF-8 and are limited to what fits a
// MAX_PATH buffer (259 UTF-16 units): the product never uses long-path prefixes, and refusing here
// keeps an over-long registry value or folder choice from reaching any fixed-size Win32 buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// The UTF-16 form of a path; no result when it is empty or does not fit MAX_PATH.
[[nodiscard]] std::optional<std::wstring> WidePath(std::string_view path);

// True when path names an existing file (not a folder).
[[nodiscard]] bool FileExists(std::string_view path);

// Free bytes on the fixed drive whose root is the path's first 3 characters ("C:\"); 0 for an
// empty path, any other kind of drive (network, removable, UNC) or a failed query.
[[nodiscard]] uint64_t GetDriveFreeBytes(std::string_view path);

// Bytes free to this user on the drive with this root ("D:\"), whatever its kind; none when the
// drive cannot be asked.
[[nodiscard]] std::optional<uint64_t> QueryFreeBytes(std::string_view root);

// Size of the file at path; 0 when there is none or it cannot be asked.
[[nodiscard]] uint64_t FileBytes(std::string_view path);

// Creates folder and its missing parents. True when it exists afterwards.
bool CreateFolderTree(std::string_view folder);

// The little-endian int32 in <folder>\version.dat. A shorter file fills the low bytes
// (0x34 0x12 reads 4660); a missing or unreadable file reads 0, and so does an empty folder (which
// would otherwise name \version.dat at the root of the current drive).
[[nodiscard]] int32_t ReadInstalledVersion(std::string_view folder);

}  // namespace sl
