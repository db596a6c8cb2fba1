#include "store/download_limit.h"

#include "base/text.h"

namespace sl {

LimitRateOption FindLimitRateOption(const std::vector<std::string>& arguments) {
  LimitRateOption option;
  for (const std::string& argument : arguments) {
    const std::string_view text(argument);
    if (!text.starts_with(kLimitRateOption.substr(0, kLimitRateOption.size() - 1))) continue;
    const std::optional<uint64_t> value = text.starts_with(kLimitRateOption)
                                              ? ParseDecimalDigits(text.substr(kLimitRateOption.size()))
                                              : std::nullopt;
    if (value && *value <= kMaxDownloadLimitKBps) {
      option.kbps = static_cast<uint32_t>(*value);
    } else {
      option.ignored.push_back(argument);
    }
  }
  return option;
}

}  // namespace sl
