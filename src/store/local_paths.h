// The program's folders and own file names, the path and text helpers of the store, and the rules of its
// stored download cap.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sl {

// The program's folders and own file names, learned once at start-up.

struct LocalPaths {
  std::string exeDir;              // folder of the running executable
  std::string exeName;             // its file name, e.g. "Stormline_VN.exe"
  std::string exeBaseName;         // exeName less its last 4 characters
  std::string logRoot;             // %TEMP%\slvn
  std::string downloadDirSetting;  // "TempDownloadPath", else Downloads\slvn
  std::string downloadDir;         // working download folder; empty until first use
};

// Process-wide paths. Written by InitLocalStore before any other thread exists and afterwards
// only on the UI thread (folder commands); worker threads get copies of what they need.
LocalPaths& Paths();

// Text and path helpers of the local store. Portable: text is UTF-8, lengths and positions are
// counted in bytes of it; callers cut only at ASCII boundaries (backslashes, ".exe", drive roots).

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

// The player's download bandwidth cap as a setting: its registry value, its bounds and the
// command line's `--limit-rate=<KB/s>`. Free of Win32.

// REG_DWORD in the launcher key, in KB/s (1 KB = 1024 bytes); 0 or absent: no cap.
inline constexpr const char kDownloadLimitValue[] = "DownloadLimitKBps";
// Above this (about 10 GB/s) a value is no cap anyone meant: it counts as none.
inline constexpr uint32_t kMaxDownloadLimitKBps = 10'000'000;

[[nodiscard]] constexpr uint32_t SaneDownloadLimit(uint64_t kbps) {
  return kbps > kMaxDownloadLimitKBps ? 0 : static_cast<uint32_t>(kbps);
}

inline constexpr std::string_view kLimitRateOption = "--limit-rate=";

// The command line's cap: the last `--limit-rate=<decimal KB/s>` among `arguments` (without the
// program's own name) whose value is plain digits up to kMaxDownloadLimitKBps (0: no cap).
struct LimitRateOption {
  std::optional<uint32_t> kbps;      // none when no valid one was given
  std::vector<std::string> ignored;  // the arguments naming the option with a bad value, for the log
};
[[nodiscard]] LimitRateOption FindLimitRateOption(const std::vector<std::string>& arguments);

}  // namespace sl
