#include "ui/progress_panel_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <utility>

#include "base/unique_handle_win.h"
#include "base/text_win.h"
#include "ui/main_controls_win.h"
#include "ui/skin_rules.h"

namespace sl {
namespace {

constexpr size_t kLabelUnits = 999;
constexpr LRESULT kNotifyResult = 4;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

constexpr wchar_t kClassName[] = L"SlProgressPanel";

ProgressPanel* PanelOf(HWND window) { return BoundObject<ProgressPanel>(window); }

void DrawLine(HDC dc, const std::wstring& text, RECT box, UINT format) {
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
}

void Paint(HWND window) {
  RECT update{};
  const BOOL needed = ::GetUpdateRect(window, &update, TRUE);
  ScopedPaint paint(window);
  const ProgressPanel* panel = PanelOf(window);
  if (panel == nullptr || !needed) return;
  const HDC dc = paint.dc();
  ScopedDcState saved(dc);
  ::SelectObject(dc, panel->font.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, kWhite);
  DrawLine(dc, panel->labelText, panel->labelRect, DT_SINGLELINE | DT_VCENTER);
  DrawLine(dc, panel->percentText, panel->percentRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

// The panel paints its own texts over the children, which draw nothing of their own (hollow
// background, empty or unchanged text).
LRESULT CALLBACK PanelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowObject<ProgressPanel>(window, message, lParam);
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      ::GetClientRect(window, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      return 1;
    }
    case WM_NOTIFY:
      return kNotifyResult;
    case WM_NCHITTEST:
      return HTCAPTION;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    default:
      return IsCaptionPress(message) ? 0 : ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// The lower half of the panel.
RECT BarRect(const ProgressPanel& panel) {
  const int half = panel.height / 2;
  return RECT{0, half, panel.width, half + half};
}

void Move(HWND window, const RECT& box) {
  ::SetWindowPos(window, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateChild(const ProgressPanel& panel, const wchar_t* className, const wchar_t* text, DWORD style,
                 const RECT& box, int id) {
  return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                           box.right - box.left, box.bottom - box.top, panel.hwndPanel,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                           nullptr);
}

void CreateChildren(ProgressPanel& panel) {
  if (!panel.font) panel.font.reset(CreateSkinFont(14));
  const WPARAM font = reinterpret_cast<WPARAM>(panel.font.get());
  if (panel.hwndLabel == nullptr) {
    panel.hwndLabel =
        CreateChild(panel, L"Static", panel.labelText.c_str(), 0, panel.labelRect, kPanelLabelId);
    ::SendMessageW(panel.hwndLabel, WM_SETFONT, font, FALSE);
  }
  if (panel.hwndPercent == nullptr) {
    panel.hwndPercent = CreateChild(panel, L"Static", L"", SS_RIGHT, panel.percentRect, kPanelPercentId);
    ::SendMessageW(panel.hwndPercent, WM_SETFONT, font, FALSE);
  }
  if (panel.hwndBar == nullptr) {
    panel.hwndBar = CreateChild(panel, PROGRESS_CLASSW, L"", PBS_SMOOTH, BarRect(panel), kPanelBarId);
    // A themed bar ignores the colours below; the panel's bar is green on white on every system.
    // A blank, not an empty, name: both disable the theme on Windows, only a blank one on Wine.
    ::SetWindowTheme(panel.hwndBar, L" ", L" ");
    ::SendMessageW(panel.hwndBar, PBM_SETPOS, 0, 0);
    ::SendMessageW(panel.hwndBar, PBM_SETBKCOLOR, 0, kWhite);
    ::SendMessageW(panel.hwndBar, PBM_SETBARCOLOR, 0, kGreen);
  }
}

}  // namespace

ProgressPanel::~ProgressPanel() {
  if (hwndPanel != nullptr && ::IsWindow(hwndPanel) && PanelOf(hwndPanel) == this) {
    ::SetWindowLongPtrW(hwndPanel, GWLP_USERDATA, 0);
    ::DestroyWindow(hwndPanel);
  }
}

void ShowPanel(ProgressPanel& panel) {
  if (panel.hwndPanel == nullptr) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!RegisterControlClassOnce(instance, kClassName, &PanelWindowProc)) return;
    const HWND window =
        ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, panel.x, panel.y, panel.width,
                          panel.height, panel.hwndParent, nullptr, instance, &panel);
    if (window == nullptr) return;
    panel.hwndPanel = window;
    CreateChildren(panel);
  }
  const BOOL wasVisible = ::ShowWindow(panel.hwndPanel, panel.visible != 0 ? SW_SHOW : SW_HIDE);
  if (wasVisible) ::UpdateWindow(panel.hwndPanel);
}

void PlacePanel(ProgressPanel& panel, UniqueFont font) {
  if (panel.hwndPanel != nullptr) {
    Move(panel.hwndPanel, RECT{panel.x, panel.y, panel.x + panel.width, panel.y + panel.height});
    Move(panel.hwndLabel, panel.labelRect);
    Move(panel.hwndPercent, panel.percentRect);
    Move(panel.hwndBar, BarRect(panel));
    for (HWND text : {panel.hwndLabel, panel.hwndPercent})
      ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    ::InvalidateRect(panel.hwndPanel, nullptr, TRUE);
  }
  panel.font = std::move(font);
}

void SetPercent(ProgressPanel& panel, double percent) {
  if (panel.hwndBar != nullptr)
    ::PostMessageW(panel.hwndBar, PBM_SETPOS, static_cast<WPARAM>(PanelBarPosition(percent)), 0);
  panel.percentText = Widen(PanelPercentText(percent));
  if (panel.hwndPanel != nullptr) ::InvalidateRect(panel.hwndPanel, &panel.percentRect, TRUE);
}

void SetLabel(ProgressPanel& panel, std::string_view text) {
  panel.labelText = Widen(text);
  if (panel.labelText.size() > kLabelUnits) {
    // Never end on the first half of a surrogate pair.
    const bool splitsPair = IS_HIGH_SURROGATE(panel.labelText[kLabelUnits - 1]);
    panel.labelText.resize(splitsPair ? kLabelUnits - 1 : kLabelUnits);
  }
  if (panel.hwndLabel != nullptr) ::InvalidateRect(panel.hwndPanel, &panel.labelRect, TRUE);
}

}  // namespace sl
