// Layout at any DPI: every place and size of the skin is written in 96-DPI pixels and scaled by the
// window's DPI when applied; the skin's pictures come in a 1x and a 2x set.
#pragma once

#include "res/resource.h"

namespace sl {

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

}  // namespace sl
