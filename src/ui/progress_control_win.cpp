#include "ui/progress_control_win.h"

#include <commctrl.h>

#include <initializer_list>
#include <string_view>

#include "base/clock.h"
#include "base/unique_handle_win.h"
#include "base/text_win.h"
#include "install/controller.h"  // PercentText
#include "ui/skin_buttons_win.h"
#include "ui/main_controls_win.h"
#include "ui/skin_rules.h"

namespace sl {
namespace {

constexpr COLORREF kTroughColor = RGB(110, 110, 110);
constexpr COLORREF kBarColor = RGB(1, 146, 235);
constexpr COLORREF kTextBackground = RGB(31, 31, 32);
constexpr int kCorner = 10;           // width and height of the rounded corners' ellipse
constexpr LRESULT kNotifyResult = 4;  // as the main window answers notifications
constexpr int kLabelWidth = 50;       // "Hiện Tại" / "Tổng" left of each bar
constexpr int kLabelMargin = 6;       // above and below the bar
constexpr int kFontHeight = 14;
constexpr UINT_PTR kDeferredRedrawTimer = 1;
constexpr wchar_t kClassName[] = L"SlProgressControl";

ProgressControl* RecordOf(HWND window) { return BoundObject<ProgressControl>(window); }

RECT LabelRect(const RECT& bar) {
  return RECT{0, bar.top - kLabelMargin, kLabelWidth, bar.bottom + kLabelMargin};
}

// The record's places are at 96 DPI; everything drawn is at the control's.
RECT Scaled(const ProgressControl& control, const RECT& box) { return ScaleRect(box, control.dpi); }

void DrawRounded(const ProgressControl& control, HDC dc, const RECT& box) {
  const int corner = ScaleByDpi(kCorner, control.dpi);
  ::RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
}

void DrawLine(HDC dc, std::wstring_view text, RECT box, UINT extraFormat = 0) {
  // No prefix processing: an ampersand in a file name is shown, not turned into an underline.
  ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | extraFormat);
}

// The grey troughs. Every accepted Redraw erases, so the blue fills of WM_PAINT land on fresh ones.
void PaintTroughs(const ProgressControl& control, HDC dc) {
  ScopedDcState saved(dc);
  ::SelectObject(dc, control.troughBrush.get());
  ::SelectObject(dc, control.barPen.get());
  DrawRounded(control, dc, Scaled(control, control.currentBar));
  DrawRounded(control, dc, Scaled(control, control.totalBar));
}

void DrawFill(const ProgressControl& control, HDC dc, const RECT& bar96, int32_t percent) {
  const RECT bar = Scaled(control, bar96);
  DrawRounded(control, dc, RECT{bar.left, bar.top, BarFillRight(bar.left, bar.right, percent), bar.bottom});
}

// Only the bars and the text boxes are painted; the rest shows the main window's skin beneath.
void Paint(HWND window) {
  RECT update;
  ::GetUpdateRect(window, &update, TRUE);
  ScopedPaint paint(window);
  const ProgressControl* control = RecordOf(window);
  if (control == nullptr) return;
  const HDC dc = paint.dc();
  ScopedDcState saved(dc);

  {
    ScopedDcState bars(dc);
    ::SelectObject(dc, control->barPen.get());
    ::SelectObject(dc, control->barBrush.get());
    DrawFill(*control, dc, control->currentBar, control->currentPercent);
    DrawFill(*control, dc, control->totalBar, control->totalPercent);
  }

  ::SelectObject(dc, control->font.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));

  const RECT currentLabel = Scaled(*control, LabelRect(control->currentBar));
  const RECT totalLabel = Scaled(*control, LabelRect(control->totalBar));
  const RECT status = Scaled(*control, control->statusRect);
  const RECT time = Scaled(*control, control->timeRect);
  const RECT currentText = Scaled(*control, control->currentTextRect);
  const RECT totalText = Scaled(*control, control->totalTextRect);
  for (const RECT* box : {&currentLabel, &totalLabel, &status, &time, &currentText, &totalText}) {
    ::FillRect(dc, box, control->textBrush.get());
  }

  DrawLine(dc, L"Hiện Tại", currentLabel);
  DrawLine(dc, L"Tổng", totalLabel);
  DrawLine(dc, Widen(control->statusText), status);
  DrawLine(dc, Widen(control->timeText), time, DT_RIGHT);
  DrawLine(dc, Widen(control->currentText), currentText);
  DrawLine(dc, Widen(control->totalText), totalText);
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowObject<ProgressControl>(window, message, lParam);
  switch (message) {
    case WM_NCHITTEST:
      return HTCAPTION;
    case WM_ERASEBKGND:
      if (const ProgressControl* control = RecordOf(window))
        PaintTroughs(*control, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_NOTIFY:
      return kNotifyResult;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    case PBM_GETPOS:
      // As a progress bar answers (0..100): the whole step's share, for screen readers and tests.
      if (const ProgressControl* control = RecordOf(window)) return control->totalPercent;
      return 0;
    case WM_TIMER:
      if (wParam == kDeferredRedrawTimer) {
        ::KillTimer(window, kDeferredRedrawTimer);
        if (ProgressControl* control = RecordOf(window)) {
          control->deferredRedraw = false;
          Redraw(*control);
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
      // Handed back to this procedure, which swallows it (as it does the presses that the caption
      // hit test turns into WM_NCLBUTTONDOWN): no drag starts and the main window never sees it.
      ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return 0;
    default:
      return IsCaptionPress(message) ? 0 : ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

ProgressControl::~ProgressControl() {
  // Before the members go: the window must not paint with a deleted font, brush or pen.
  if (window != nullptr && ::IsWindow(window) && RecordOf(window) == this) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
  }
}

std::unique_ptr<ProgressControl> CreateProgressControl(HWND parent) {
  auto control = std::make_unique<ProgressControl>();
  control->parent = parent;
  control->dpi = WindowDpi(parent);
  control->font.reset(CreateSkinFont(ScaleByDpi(kFontHeight, control->dpi)));
  control->troughBrush.reset(::CreateSolidBrush(kTroughColor));
  control->barBrush.reset(::CreateSolidBrush(kBarColor));
  control->textBrush.reset(::CreateSolidBrush(kTextBackground));
  control->barPen.reset(::CreatePen(PS_SOLID, ScaleByDpi(1, control->dpi), kTroughColor));
  Show(*control);  // visible is 0: creates the window hidden
  return control;
}

void SetProgressDpi(ProgressControl& control, int dpi) {
  control.dpi = dpi;
  control.font.reset(CreateSkinFont(ScaleByDpi(kFontHeight, dpi)));
  control.barPen.reset(::CreatePen(PS_SOLID, ScaleByDpi(1, dpi), kTroughColor));
  if (control.window == nullptr) return;
  const RECT place = Scaled(control, control.area);
  ::SetWindowPos(control.window, nullptr, place.left, place.top, ScaleByDpi(control.width, dpi),
                 ScaleByDpi(control.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(control.window, nullptr, TRUE);
}

void Show(ProgressControl& control) {
  if (control.window == nullptr) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!RegisterControlClassOnce(instance, kClassName, &ProgressWindowProc)) return;
    const RECT place = Scaled(control, control.area);
    const HWND window =
        ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                          ScaleByDpi(control.width, control.dpi), ScaleByDpi(control.height, control.dpi),
                          control.parent, nullptr, instance, &control);
    if (window == nullptr) return;
    control.window = window;
  }
  const BOOL wasVisible = ::ShowWindow(control.window, control.visible != 0 ? SW_SHOW : SW_HIDE);
  if (wasVisible) ::UpdateWindow(control.window);
}

void Redraw(ProgressControl& control) {
  if (control.window == nullptr) return;
  const double now = NowSeconds();
  if (!RedrawDue(now, control.lastRedraw)) {
    // Dropping the request outright would leave a final value (100%, a new status line) unseen
    // until some later change; one pending timer keeps the rate and shows the latest values.
    if (!control.deferredRedraw && ::SetTimer(control.window, kDeferredRedrawTimer,
                                              RedrawDelayMs(now, control.lastRedraw), nullptr) != 0) {
      control.deferredRedraw = true;
    }
    return;
  }
  if (control.deferredRedraw) {
    ::KillTimer(control.window, kDeferredRedrawTimer);  // this repaint shows the same values
    control.deferredRedraw = false;
  }
  const RECT all{0, 0, ScaleByDpi(control.width, control.dpi), ScaleByDpi(control.height, control.dpi)};
  ::InvalidateRect(control.window, &all, TRUE);
  control.lastRedraw = now;
}

// A second Redraw right after the first would always fall inside the throttle interval, so each
// change asks once.
void SetTotalProgress(ProgressControl& control, double done, double total) {
  if (const std::optional<TotalProgress> progress = ComputeTotalProgress(done, total)) {
    control.totalPercent = progress->percent;
    control.totalText = progress->text;
    Redraw(control);
  }
  if (done == 0) {
    control.currentPercent = 0;
    control.currentText = PercentText(0.0);
    Redraw(control);
  }
}

}  // namespace sl
