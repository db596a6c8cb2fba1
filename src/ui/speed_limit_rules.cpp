#include "ui/speed_limit_rules.h"

#include "base/text.h"

namespace sl {

std::string SpeedLimitText(uint32_t kbps) {
  if (kbps == 0) return "Không giới hạn";
  if (kbps % 1024 == 0) return Format("%u MB/s", kbps / 1024);
  return Format("%u KB/s", kbps);
}

std::string SpeedLimitChoiceText(uint32_t kbps) {
  return kbps == 0 ? "Không giới hạn tốc độ" : SpeedLimitText(kbps);
}

}  // namespace sl
