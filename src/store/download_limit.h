// The player's download bandwidth cap as a setting: its registry value, its bounds and the
// command line's `--limit-rate=<KB/s>`. Free of Win32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sl {

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
