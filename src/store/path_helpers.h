// Text and path helpers of the local store. Portable: text is UTF-8, lengths and positions are
// counted in bytes of it; callers cut only at ASCII boundaries (backslashes, ".exe", drive roots).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// a followed by b. An empty view stands for a missing part; no result when both are missing.
[[nodiscard]] std::optional<std::string> ConcatAlloc(std::string_view a, std::string_view b);

// At most count bytes from start; no result when start is not inside the text.
[[nodiscard]] std::optional<std::string> Substring(std::string_view text, size_t start, size_t count);

// Removes exactly one trailing backslash, so "C:\" stays a drive ("C:") and "a\\" keeps one.
[[nodiscard]] std::string TrimOneTrailingBackslash(std::string_view path);

// 2^30 bytes to the GB, as the free-space captions count.
[[nodiscard]] double BytesToGiB(uint64_t bytes);

// UTF-16 units of a drive root ("D:\").
inline constexpr size_t kDriveRootUnits = 3;

// A folder's drive root: its first three UTF-16 characters ("D:\" for any folder on D:), fewer
// when the path is shorter. Never splits a character of the UTF-8 text.
[[nodiscard]] std::string DriveRoot(std::string_view path);

// True when the drive roots name one drive. Drive letters are case-insensitive: "c:\" and "C:\"
// are one drive and share its free space.
[[nodiscard]] bool SameDrive(std::string_view rootA, std::string_view rootB);

// Bare file names derived from the running executable's base name (Paths().exeBaseName).
[[nodiscard]] std::string MakeZipName(int32_t number);  // "<base>_<number>.zip"
[[nodiscard]] std::string MakeBinName();                // "<base>.bin"
[[nodiscard]] std::string MakeExeName();                // "<base>.exe"
[[nodiscard]] std::string MakeBackupName();             // "<base>.old": the program an update replaced

}  // namespace sl
