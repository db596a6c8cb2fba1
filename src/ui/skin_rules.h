// How the skin is drawn, free of Win32: which picture a button shows, the scale and the art for a DPI, the
// progress bars' fills and texts and the self-update panel's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "res/resource.h"

namespace sl {

// Which picture a skinned button shows in a given state, with the fallbacks that fill in
// missing pictures.

enum class SkinImage { Normal, Hover, Pressed, Disabled, None };

struct SkinState {
  bool selected = false;     // pressed
  bool hot = false;          // under the mouse
  bool checkedFlag = false;  // the custom-draw item state says checked
  bool disabled = false;
  bool checkedState = false;  // the button's own check state is BST_CHECKED
};

// Which of the four pictures a button has; the choice below may fill some in from others.
struct SkinImages {
  bool normal = false;
  bool hover = false;
  bool pressed = false;
  bool disabled = false;
};

struct SkinChoice {
  SkinImage image = SkinImage::None;
  bool pressedFromHover = false;   // the hover picture now also serves as the pressed one
  bool hoverFromNormal = false;    // the normal picture now also serves as the hover one
  bool disabledFromHover = false;  // the hover picture now also serves as the disabled one
};

[[nodiscard]] SkinChoice ChooseSkinImage(const SkinState& state, const SkinImages& images);

// Layout at any DPI: every place and size of the skin is written in 96-DPI pixels and scaled by the
// window's DPI when applied; the skin's pictures come in a 1x and a 2x set.

inline constexpr int kBaseDpi = 96;  // 100 %

// value × dpi / 96, halves rounded away from zero (as MulDiv does), so 597 at 144 DPI is 896.
[[nodiscard]] constexpr int ScaleByDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : (product - half) / kBaseDpi);
}

// A rectangle of the skin: left and top are scaled, and so are width and height, each on its own, so
// a picture scaled to the scaled size fills the scaled rectangle exactly.
struct SkinRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

[[nodiscard]] constexpr SkinRect ScaleRect(const SkinRect& rect, int dpi) {
  const int left = ScaleByDpi(rect.left, dpi);
  const int top = ScaleByDpi(rect.top, dpi);
  return {left, top, left + ScaleByDpi(rect.right - rect.left, dpi),
          top + ScaleByDpi(rect.bottom - rect.top, dpi)};
}

// Which picture set is the sharper source at this DPI: 1 (the pictures as drawn) at 100 % and
// below, 2 above it; the 2x set is resampled down to the exact size, never the 1x set up.
[[nodiscard]] constexpr int ArtScale(int dpi) { return dpi > kBaseDpi ? 2 : 1; }

// The 2x picture of "IMG_SYS" id n has id n + kHighDpiImageOffset.
inline constexpr int kHighDpiImageOffset = IMG_2X_OFFSET;

[[nodiscard]] constexpr int SkinImageId(int id, int dpi) {
  return ArtScale(dpi) == 2 ? id + kHighDpiImageOffset : id;
}

// Pixel size at `dpi` of a picture side that measures `artPixels` in the set of scale `artScale`.
[[nodiscard]] constexpr int PictureSide(int artPixels, int artScale, int dpi) {
  return ScaleByDpi(artPixels / artScale, dpi);
}

// Numbers of the two-bar progress control: percent texts, bar fills and the repaint throttle.

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

// Numbers of the self-update window's download panel: its percentage text and bar position.

// Two decimals, rounded by the format: 57.123 gives "57.12%".
[[nodiscard]] std::string PanelPercentText(double percent);

// The bar shows the percentage truncated toward zero (99.999 is 99, though its text reads
// "100.00%"), held within the bar's range 0 to 100.
[[nodiscard]] int32_t PanelBarPosition(double percent);

}  // namespace sl
