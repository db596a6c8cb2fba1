// Converting an out-of-range double to an integer is undefined behaviour: these conversions
// saturate instead (an infinite estimate becomes the largest value), and NaN counts as 0.
#pragma once

#include <cmath>
#include <limits>

namespace sl {

template <typename Int>
[[nodiscard]] Int SaturatingCast(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  if (value <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  return static_cast<Int>(value);
}

}  // namespace sl
