// How the self-update window follows its download: the label for each status and the percentage.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sl {

struct StatusReaction {
  std::string_view labelPrefix;  // put before the status text (file name or error) in the label
  bool ends;                     // the transfer is over: 1013 done or 1018 failed
};

// None for a code the window does not know: it changes neither the label nor the wait.
[[nodiscard]] std::optional<StatusReaction> ReactionTo(int32_t statusCode);

// done / total × 100; none while the total is unknown (0).
[[nodiscard]] std::optional<double> DownloadPercent(int64_t done, int64_t total);

}  // namespace sl
