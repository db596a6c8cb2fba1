// Numbers of the two-bar progress control: percent texts, bar fills and the repaint throttle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sl {

struct TotalProgress {
  int32_t percent = 0;  // truncated toward zero
  std::string text;     // PercentText of the exact value
};

// done / total × 100; none when total is 0 (the total bar is then left as it is).
[[nodiscard]] std::optional<TotalProgress> ComputeTotalProgress(double done, double total);

// Right edge of a bar filled to percent: left + (right − left) × percent / 100 in signed 32-bit
// arithmetic, truncating. Values outside 0..100 are drawn as computed; the controller keeps them
// in range.
[[nodiscard]] int32_t BarFillRight(int32_t left, int32_t right, int32_t percent);

// Progress messages can arrive many times a second: one repaint per 0.2 s is enough.
inline constexpr double kRedrawIntervalSeconds = 0.2;

// True when a repaint requested at now may go ahead: strictly more than the interval since the
// last accepted one, or a clock set back past it (which must not freeze the display).
[[nodiscard]] bool RedrawDue(double now, double lastRedraw);

// Milliseconds until a refused request becomes due, 1 to 200.
[[nodiscard]] uint32_t RedrawDelayMs(double now, double lastRedraw);

}  // namespace sl
