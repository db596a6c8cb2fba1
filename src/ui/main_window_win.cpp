#include "ui/main_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/unique_handle_win.h"
#include "base/text_win.h"
#include "base/window_messages.h"
#include "res/resource.h"
#include "ui/shell_win.h"
#include "ui/commands.h"
#include "ui/commands_win.h"
#include "ui/skin_buttons_win.h"
#include "ui/folder_choice_win.h"
#include "ui/view_rules.h"

namespace sl {

static_assert(kMainWindowStyle == (WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX));

namespace {

// Notification results: 0 (CDRF_DODEFAULT) for custom draw, 4 for the rest, as the
// controls have always been answered.
constexpr LRESULT kOtherNotifyResult = 4;

constexpr RECT kTitleBox{50, 3, 1050, 27};

COLORREF ToColorRef(Rgb color) { return RGB(color.r, color.g, color.b); }

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::wstring title)
    : instance_(instance),
      title_(std::move(title)),
      paintedTitle_(Widen(MakeVersionedTitle(Narrow(title_)))),
      session_(*this) {}

MainWindow::~MainWindow() {
  if (window_ != nullptr) ::DestroyWindow(window_);
}

bool MainWindow::Create(const std::wstring& className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &MainWindow::Procedure;
  wc.hInstance = instance_;
  wc.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(IDI_STORMLINE));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className.c_str();
  wc.hIconSm = ::LoadIconW(instance_, MAKEINTRESOURCEW(IDI_SMALL));
  if (!RegisterClassOnce(wc)) return false;
  return ::CreateWindowExW(0, className.c_str(), title_.c_str(), kMainWindowStyle, CW_USEDEFAULT, 0,
                           kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance_, this) != nullptr;
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject<MainWindow>(window, message, lParam);
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCCREATE) self->window_ = window;
  const LRESULT result = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) self->window_ = nullptr;
  return result;
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarButton::CreatedMessage() && taskbar_) {
    taskbar_->OnCreated();
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      taskbar_.emplace(window_);
      BuildMainControls(controls_, window_);
      // Created at its 96-DPI size; the client area, all of it, is the skin at the window's DPI.
      if (controls_.dpi != kBaseDpi)
        ::SetWindowPos(window_, nullptr, 0, 0, controls_.Scale(kMainWindowWidth),
                       controls_.Scale(kMainWindowHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_CLOSE:
      // Under its own question or the self-update window, which it would take with it, the window
      // stays: a close from outside (the task manager, another program) waits for them.
      if (!::IsWindowEnabled(window_)) return 0;
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      return 0;
    case WM_PAINT:
      PaintTitle();
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      return OnCommand(message, wParam, lParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(window_, WM_COMMAND, CMD_CLOSE, 0);
        return 0;
      }
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_TIMER:
      if (wParam == kForeignTimerId) ::KillTimer(window_, kForeignTimerId);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONDOWN:
      // The whole surface is the caption of this frameless window.
      ::SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return 0;
    case WM_SWALLOWED_MESSAGE:
      return 0;
    case WM_SHOW_MINIMIZED:
      ::ShowWindow(window_, SW_SHOWMINIMIZED);
      return 0;
    case WM_STARTUP_CHECK:
      session_.DetectInstall();
      return 0;
    default:
      if (session_.HandleMessage(message, wParam, lParam)) return 0;
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void MainWindow::PaintBackground(HDC dc) {
  RECT client;
  ::GetClientRect(window_, &client);
  ::SetBrushOrgEx(dc, 0, 0, nullptr);
  ::FillRect(dc, &client, controls_.background.get());
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  ApplyMainControlsDpi(controls_, dpi);
  ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::PaintTitle() {
  RECT update;
  ::GetUpdateRect(window_, &update, TRUE);  // erase first: WM_ERASEBKGND paints the skin
  ScopedPaint paint(window_);
  ScopedDcState saved(paint.dc());
  ::SelectObject(paint.dc(), controls_.titleFont.get());
  ::SetBkMode(paint.dc(), TRANSPARENT);
  ::SetTextColor(paint.dc(), RGB(255, 255, 255));
  RECT box = ScaleRect(kTitleBox, controls_.dpi);
  ::DrawTextW(paint.dc(), paintedTitle_.c_str(), static_cast<int>(paintedTitle_.size()), &box,
              DT_SINGLELINE | DT_VCENTER);
}

void MainWindow::RequestClose() {
  // Disabled, the window is under a window of its own (a question, the self-update) that decides
  // first: closing it from outside would take that window with it.
  if (!::IsWindowEnabled(window_)) return;
  if (const auto question = CloseQuestion(session_.State().workflowState)) {
    // The answer may be Yes: no step, plan or setup program begins while the player thinks.
    session_.HoldSteps(true);
    const int answer =
        ::MessageBoxW(window_, Widen(*question).c_str(), L"Thông báo", MB_ICONQUESTION | MB_YESNO);
    if (answer != IDYES) {
      session_.HoldSteps(false);
      return;
    }
  }
  ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT MainWindow::OnCommand(UINT message, WPARAM wParam, LPARAM lParam) {
  const uint16_t id = LOWORD(wParam);
  if (id == CMD_MINIMIZE) {
    ::ShowWindow(window_, SW_MINIMIZE);
  } else if (id == CMD_CLOSE) {
    RequestClose();
  } else {
    HandleCommand(*this, id);
  }
  switch (id) {
    case CMD_ABOUT:
      ShowAboutBox(instance_, window_);
      return 0;
    case CMD_EXIT:
      ::SendMessageW(window_, WM_COMMAND, CMD_CLOSE, 0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  StaticRole role;
  if (control == controls_.installDirField || control == controls_.downloadDirField) {
    role = StaticRole::FolderField;
  } else if (control == controls_.installDirLabel || control == controls_.downloadDirLabel) {
    role = StaticRole::FolderLabel;
  } else if (control == controls_.versionLabel) {
    role = StaticRole::VersionLabel;
  } else {
    return 0;
  }

  const StaticColors colors = ColorsOf(role);
  // One brush per background colour, made on first use and kept for the window's life.
  UniqueBrush& brush = role == StaticRole::FolderField ? controls_.fieldBrush : controls_.labelBrush;
  if (!brush) brush.reset(::CreateSolidBrush(ToColorRef(colors.background)));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetBkColor(dc, ToColorRef(colors.background));
  ::SetTextColor(dc, ToColorRef(colors.text));
  return reinterpret_cast<LRESULT>(brush.get());
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.code != static_cast<UINT>(NM_CUSTOMDRAW)) return kOtherNotifyResult;
  if (SkinButton* button = FindSkinButton(controls_.buttons, LOWORD(header.idFrom))) {
    const auto& draw = reinterpret_cast<const NMCUSTOMDRAW&>(header);
    // The picture is the whole button: the control's own frame and text would cover it.
    if (DrawSkinButton(*button, draw.hdc, draw.rc, draw.uItemState, header.hwndFrom,
                       controls_.staticsFont.get()))
      return CDRF_SKIPDEFAULT;
  }
  return CDRF_DODEFAULT;
}

void MainWindow::ShowView(bool busy) { sl::ShowView(controls_, session_.State(), busy); }

void MainWindow::SetStatusLine(const std::string& text) {
  if (!controls_.progress || controls_.progress->statusText == text) return;
  controls_.progress->statusText = text;
  // Also the control's text, for screen readers and whoever else reads the window from outside.
  if (controls_.progress->window != nullptr)
    ::SetWindowTextW(controls_.progress->window, Widen(text).c_str());
}

void MainWindow::SetRemainingLine(const std::string& text) {
  if (controls_.progress) controls_.progress->timeText = text;
}

void MainWindow::SetCurrentPercent(int32_t percent, const std::string& text) {
  if (!controls_.progress) return;
  controls_.progress->currentPercent = percent;
  controls_.progress->currentText = text;
}

void MainWindow::SetTotalProgress(uint64_t done, uint64_t total) {
  if (controls_.progress)
    sl::SetTotalProgress(*controls_.progress, static_cast<double>(done), static_cast<double>(total));
  if (taskbar_) taskbar_->ShowProgress(done, total);
}

void MainWindow::Redraw() {
  if (controls_.progress) sl::Redraw(*controls_.progress);
}

void MainWindow::ShowProgressView() { ShowView(true); }

void MainWindow::ShowPauseControl(PauseControl control) {
  SkinButton* pause = FindSkinButton(controls_.buttons, CMD_PAUSE);
  if (pause == nullptr) return;
  ::SetWindowTextW(pause->window, control == PauseControl::Resume ? L"Tiếp tục" : L"Tạm dừng");
  ::EnableWindow(pause->window, control != PauseControl::Unavailable);
  ::InvalidateRect(pause->window, nullptr, TRUE);
  if (taskbar_ && control != PauseControl::Unavailable)
    taskbar_->ShowState(control == PauseControl::Resume ? TaskbarButton::State::Paused
                                                        : TaskbarButton::State::Normal);
}

void MainWindow::ShowError(const std::string& text, const std::string& caption) {
  if (taskbar_) taskbar_->ShowState(TaskbarButton::State::Error);
  ::MessageBoxW(window_, Widen(text).c_str(), Widen(caption).c_str(), MB_ICONERROR);
}

bool MainWindow::PressMainAction() {
  const uint16_t id = MainAction();
  if (id == 0) return false;
  ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window_, id)));
  return true;
}

uint16_t MainWindow::MainAction() {
  for (uint16_t id : {CMD_PAUSE, CMD_INSTALL, CMD_UPDATE, CMD_PLAY}) {
    const SkinButton* button = FindSkinButton(controls_.buttons, id);
    if (button != nullptr && ::IsWindowVisible(button->window) && ::IsWindowEnabled(button->window))
      return id;
  }
  return 0;
}

void MainWindow::ReturnToIdle() {
  if (taskbar_) taskbar_->EndRun();
  ::SendMessageW(window_, WM_COMMAND, CMD_RETURN_TO_IDLE, 0);
}

void MainWindow::HoldStart(bool hold) {
  startHolds_ = std::max(0, startHolds_ + (hold ? 1 : -1));
  if (startHolds_ != 0 || deferredPress_ == kNoStartButton) return;
  const uint16_t pressed = std::exchange(deferredPress_, kNoStartButton);
  // Pressed before the view settled: it counts only if the view still offers that button.
  if (SkinButton* button = FindSkinButton(controls_.buttons, pressed);
      button && ::IsWindowVisible(button->window))
    HandleCommand(*this, pressed);
}

bool MainWindow::DeferPress(uint16_t id) {
  if (startHolds_ == 0) return false;
  deferredPress_ = id;
  return true;
}

bool MainWindow::WarnBeforeStart() {
  const std::string_view warning = StartWarning(session_.State().spaceWarning);
  if (warning.empty()) return false;
  ::MessageBoxW(window_, Widen(warning).c_str(), L"Thông báo!", MB_ICONWARNING);
  return true;
}

void MainWindow::RefreshFolderTexts() { sl::RefreshFolderTexts(*this); }

}  // namespace sl
