// A small panel that follows one download: a label on the left, a percentage on the right and a
// green bar below them, white on black. The self-update window owns one. UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"

namespace sl {

inline constexpr int kPanelPercentId = 1611;
inline constexpr int kPanelLabelId = 1612;
inline constexpr int kPanelBarId = 1613;

struct ProgressPanel {
  ProgressPanel() = default;
  ProgressPanel(const ProgressPanel&) = delete;
  ProgressPanel& operator=(const ProgressPanel&) = delete;
  // Detaches and destroys a window that outlives the record, so it never paints with freed text.
  ~ProgressPanel();

  // Filled by the owner before the first ShowPanel; positions in the parent's client area, the
  // rectangles in the panel's, all in pixels (the owner scales them for its DPI).
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t visible = 0;  // applied by ShowPanel
  RECT labelRect{};
  RECT percentRect{};
  HWND hwndParent = nullptr;

  std::wstring labelText;
  std::wstring percentText;
  HWND hwndPanel = nullptr;  // null until the first ShowPanel
  UniqueFont font;           // a 14-pixel one unless the owner sets one before the first ShowPanel
  HWND hwndLabel = nullptr;
  HWND hwndBar = nullptr;
  HWND hwndPercent = nullptr;
};

// Creates the panel and its children on first use, then shows or hides it according to
// `visible`. A panel window that cannot be created leaves `hwndPanel` null.
void ShowPanel(ProgressPanel& panel);

// Moves the existing panel and its children to the record's places and gives them `font`, which
// becomes the record's: for an owner whose DPI changed.
void PlacePanel(ProgressPanel& panel, UniqueFont font);

// Moves the bar to the truncated percentage and shows it with two decimals.
void SetPercent(ProgressPanel& panel, double percent);

// Replaces the label (at most 999 UTF-16 units) and repaints it once the panel exists.
void SetLabel(ProgressPanel& panel, std::string_view text);

}  // namespace sl
