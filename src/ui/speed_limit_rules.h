// The bandwidth cap's choices as the progress view offers them. KB/s, 1 KB = 1024 bytes; 0 = none.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sl {

inline constexpr std::array<uint32_t, 6> kSpeedLimitChoices = {0, 512, 1024, 2048, 5120, 10240};

// The speed-limit button's text: "Không giới hạn", "512 KB/s", "1 MB/s" (whole MB/s only).
[[nodiscard]] std::string SpeedLimitText(uint32_t kbps);

// A menu item's text: the button's, but "Không giới hạn tốc độ" for none.
[[nodiscard]] std::string SpeedLimitChoiceText(uint32_t kbps);

}  // namespace sl
