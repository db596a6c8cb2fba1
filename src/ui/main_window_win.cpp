#include "ui/main_window_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "app/messages.h"
#include "app/shell_rules.h"
#include "base/resource_string_win.h"
#include "base/scoped_dc_win.h"
#include "base/text_win.h"
#include "install/install_controller_win.h"
#include "res/resource.h"
#include "ui/about_dialog_win.h"
#include "ui/commands_win.h"
#include "ui/main_controls_win.h"
#include "ui/main_window_rules.h"

namespace sl {
namespace {

// Notification results: 0 (CDRF_DODEFAULT) for custom draw, 4 for the rest, as the
// controls have always been answered.
constexpr LRESULT kOtherNotifyResult = 4;

COLORREF ToColorRef(Rgb color) { return RGB(color.r, color.g, color.b); }

void PaintTitle(HWND window) {
  RECT update;
  ::GetUpdateRect(window, &update, TRUE);  // erase first: the class brush paints the skin
  ScopedPaint paint(window);
  if (TheApp() == nullptr) return;

  const std::wstring title =
      Widen(MakeVersionedTitle(Narrow(LoadResourceString(AppInstance(), IDS_APP_TITLE, MAX_PATH))));
  UniqueFont font(CreateSkinFont(18));
  ScopedDcState saved(paint.dc());
  ::SelectObject(paint.dc(), font.get());
  ::SetBkMode(paint.dc(), TRANSPARENT);
  ::SetTextColor(paint.dc(), RGB(255, 255, 255));
  RECT box{50, 3, 1050, 27};
  ::DrawTextW(paint.dc(), title.c_str(), static_cast<int>(title.size()), &box, DT_SINGLELINE | DT_VCENTER);
}

void RequestClose(AppState& app) {
  const uint32_t state = app.install ? app.install->workflowState : STATE_IDLE;
  const auto question = CloseQuestion(state);
  if (question) {
    const int answer =
        ::MessageBoxW(app.mainWindow, Widen(*question).c_str(), L"Thông báo", MB_ICONQUESTION | MB_YESNO);
    if (answer != IDYES) return;
  }
  ::PostMessageW(app.mainWindow, WM_CLOSE, 0, 0);
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  AppState* app = TheApp();
  const uint16_t id = LOWORD(wParam);
  if (app != nullptr) {
    if (id == CMD_MINIMIZE) {
      ::ShowWindow(app->mainWindow, SW_MINIMIZE);
    } else if (id == CMD_CLOSE) {
      RequestClose(*app);
    } else {
      HandleCommand(*app, id);
    }
  }
  switch (id) {
    case CMD_ABOUT:
      ShowAboutBox(AppInstance(), window);
      return 0;
    case CMD_EXIT:
      ::SendMessageW(window, WM_COMMAND, CMD_CLOSE, 0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT OnCtlColorStatic(HDC dc, HWND control) {
  AppState* app = TheApp();
  if (app == nullptr) return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));

  StaticRole role;
  if (control == app->installDirField || control == app->downloadDirField) {
    role = StaticRole::FolderField;
  } else if (control == app->installDirLabel || control == app->downloadDirLabel) {
    role = StaticRole::FolderLabel;
  } else if (control == app->versionLabel) {
    role = StaticRole::VersionLabel;
  } else {
    return 0;
  }

  const StaticColors colors = ColorsOf(role);
  // One brush per background colour, made on first use and kept for the window's life.
  UniqueBrush& brush = role == StaticRole::FolderField ? app->fieldBrush : app->labelBrush;
  if (!brush) brush.reset(::CreateSolidBrush(ToColorRef(colors.background)));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetBkColor(dc, ToColorRef(colors.background));
  ::SetTextColor(dc, ToColorRef(colors.text));
  return reinterpret_cast<LRESULT>(brush.get());
}

LRESULT OnNotify(const NMHDR& header) {
  AppState* app = TheApp();
  if (app == nullptr || header.code != static_cast<UINT>(NM_CUSTOMDRAW)) return kOtherNotifyResult;
  if (SkinButton* button = FindSkinButton(app->buttons, LOWORD(header.idFrom))) {
    const auto& draw = reinterpret_cast<const NMCUSTOMDRAW&>(header);
    DrawSkinButton(*button, draw.hdc, draw.rc, draw.uItemState, header.hwndFrom);
  }
  return CDRF_DODEFAULT;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  AppState* app = TheApp();
  switch (message) {
    case WM_CREATE:
      if (app != nullptr) BuildMainControls(*app, window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      return 0;
    case WM_PAINT:
      PaintTitle(window);
      return 0;
    case WM_CLOSE:
      return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      return OnCommand(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(window, WM_COMMAND, CMD_CLOSE, 0);
        return 0;
      }
      return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_TIMER:
      if (app != nullptr && wParam == kTimerId88) ::KillTimer(app->mainWindow, kTimerId88);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONDOWN:
      // The whole surface is the caption of this frameless window.
      ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return 0;
    case WM_RESERVED_1147:
      return 0;
    case WM_SHOW_MINIMIZED:
      ::ShowWindow(window, SW_SHOWMINIMIZED);
      return 0;
    default:
      if (app != nullptr) OnInstallMessage(*app, message, wParam, lParam);
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace sl
