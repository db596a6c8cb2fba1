// The two-bar progress panel shown in place of the folder fields while a run downloads and
// installs. The install controller writes its values and calls Redraw; repaints are throttled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/unique_handle_win.h"
#include "ui/skin_rules.h"

namespace sl {

struct ProgressControl {
  ProgressControl() = default;
  ProgressControl(const ProgressControl&) = delete;
  ProgressControl& operator=(const ProgressControl&) = delete;
  // Detaches the window from the record, so a window outliving it paints nothing.
  ~ProgressControl();

  int32_t currentPercent = 0;  // current-file bar, 0..100
  int32_t totalPercent = 0;    // whole-step bar, 0..100
  HWND parent = nullptr;       // the main window
  HWND window = nullptr;       // null until first shown
  UniqueFont font;
  int dpi = kBaseDpi;  // the parent's; the places below are at 96 DPI and scaled by it when applied
  RECT area{290, 480, 790, 580};  // in the main window
  int32_t width = 500;
  int32_t height = 100;
  // In the control's client coordinates.
  RECT totalBar{50, 70, 450, 80};
  RECT currentBar{50, 48, 450, 58};
  RECT totalTextRect{454, 64, 500, 86};
  RECT currentTextRect{454, 42, 500, 64};
  RECT statusRect{50, 20, 350, 42};
  RECT timeRect{350, 20, 450, 42};
  // UTF-8.
  std::string totalText;
  std::string currentText;
  std::string statusText;
  std::string timeText;
  int32_t visible = 0;          // 1 while the control is meant to be shown; applied by Show
  double lastRedraw = 0;        // seconds since 1970 of the last accepted Redraw
  bool deferredRedraw = false;  // a refused Redraw waits for the control's timer
  UniqueBrush troughBrush;
  UniqueBrush barBrush;
  UniqueBrush textBrush;  // behind the labels and texts
  UniquePen barPen;
};

// The record with its font, brushes and pen for the parent's DPI, and its window created hidden. UI thread
// only, as is everything below.
[[nodiscard]] std::unique_ptr<ProgressControl> CreateProgressControl(HWND parent);

// After the parent's DPI changed: font, pen and window size for the new DPI, and a repaint.
void SetProgressDpi(ProgressControl& control, int dpi);

// Creates the window on first use, then shows or hides it according to `visible`. A window that
// cannot be created leaves `window` null; the values are still stored.
void Show(ProgressControl& control);

// Repaints, at most once per 0.2 s. A request inside that interval is carried out by a timer
// once the interval has passed, so the last values always reach the screen.
void Redraw(ProgressControl& control);

// The total bar and its text from done / total (left alone when total is 0); done = 0 also empties
// the current-file bar.
void SetTotalProgress(ProgressControl& control, double done, double total);

}  // namespace sl
