#include "ui/progress_rules.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "install/controller.h"

namespace sl {
namespace {

// Two's-complement wrap-around without the undefined behaviour of signed overflow.
int32_t Wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

std::optional<TotalProgress> ComputeTotalProgress(double done, double total) {
  if (total == 0) return std::nullopt;
  const double percent = done / total * 100;
  return TotalProgress{SaturatingCast<int32_t>(percent), PercentText(percent)};
}

int32_t BarFillRight(int32_t left, int32_t right, int32_t percent) {
  const int32_t width = Wrap32(int64_t{right} - left);
  const int32_t product = Wrap32(int64_t{width} * percent);
  return Wrap32(int64_t{left} + product / 100);
}

bool RedrawDue(double now, double lastRedraw) {
  return now - lastRedraw > kRedrawIntervalSeconds || now < lastRedraw;
}

uint32_t RedrawDelayMs(double now, double lastRedraw) {
  const double wait = kRedrawIntervalSeconds - (now - lastRedraw);
  if (!(wait > 0)) return 1;
  // Just past the interval, as due means strictly later.
  return static_cast<uint32_t>(std::min(std::floor(wait * 1000) + 1, kRedrawIntervalSeconds * 1000));
}

}  // namespace sl
