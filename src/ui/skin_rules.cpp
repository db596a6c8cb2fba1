#include "ui/skin_rules.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "install/controller.h"

namespace sl {

namespace {

// The disabled picture, else the hover picture, which then stands in for it.
SkinChoice DisabledOrHover(const SkinImages& images) {
  if (images.disabled) return {SkinImage::Disabled};
  if (images.hover) return {SkinImage::Disabled, false, false, true};
  return {};
}

}  // namespace

SkinChoice ChooseSkinImage(const SkinState& state, const SkinImages& images) {
  if (state.selected) {
    if (images.pressed) return {SkinImage::Pressed};
    if (images.hover) return {SkinImage::Pressed, true};
    return {};
  }
  if (state.hot) {
    SkinChoice choice;
    if (!images.hover) {
      if (!images.normal) return {};
      choice.hoverFromNormal = true;
    }
    if (state.checkedState) {
      // A checked button under the mouse shows its pressed picture (none: nothing is painted).
      choice.image = images.pressed ? SkinImage::Pressed : SkinImage::None;
    } else {
      choice.image = SkinImage::Hover;
    }
    return choice;
  }
  if (state.checkedFlag || state.disabled || state.checkedState) return DisabledOrHover(images);
  if (images.normal) return {SkinImage::Normal};
  return {};
}

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

std::string PanelPercentText(double percent) { return Format("%.02f%%", percent); }

int32_t PanelBarPosition(double percent) {
  // Also keeps a NaN or an out-of-range value from reaching the integer conversion.
  if (!(percent > 0)) return 0;
  if (percent >= 100) return 100;
  return static_cast<int32_t>(percent);
}

}  // namespace sl
