// The main window: its class, its controls, its views and commands, and the install session it
// shows. The object is bound to its window at WM_NCCREATE and outlives it. UI thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "install/install_session_win.h"
#include "ui/main_controls_win.h"
#include "ui/taskbar_win.h"

namespace sl {

class MainWindow final : public InstallView {
 public:
  MainWindow(HINSTANCE instance, std::wstring title);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the window class and creates the window hidden, sized for its DPI; false when either
  // fails.
  [[nodiscard]] bool Create(const std::wstring& className);

  [[nodiscard]] HINSTANCE Instance() const { return instance_; }
  [[nodiscard]] MainControls& Controls() { return controls_; }
  [[nodiscard]] InstallSession& Session() { return session_; }

  // busy: the progress view; otherwise the idle view of the install mode now in force.
  void ShowView(bool busy);

  // InstallView.
  [[nodiscard]] HWND Window() const override { return window_; }
  void SetStatusLine(const std::string& text) override;
  void SetRemainingLine(const std::string& text) override;
  void SetCurrentPercent(int32_t percent, const std::string& text) override;
  void SetTotalProgress(uint64_t done, uint64_t total) override;
  void Redraw() override;
  void ShowProgressView() override;
  void ShowPauseControl(PauseControl control) override;
  void ShowError(const std::string& text, const std::string& caption) override;
  void ReturnToIdle() override;
  void HoldStart(bool hold) override;
  bool WarnBeforeStart() override;
  void RefreshFolderTexts() override;
  // Enter: presses the view's main action (pause or resume, else the start button); false when
  // there is none to press.
  bool PressMainAction();
  // While the start is held, a start button's press waits for the hold to end; true when it must.
  [[nodiscard]] bool DeferPress(uint16_t id);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnNotify(const NMHDR& header);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void PaintBackground(HDC dc);
  void PaintTitle();
  void RequestClose();
  [[nodiscard]] uint16_t MainAction();

  HINSTANCE instance_;
  std::wstring title_;
  std::wstring paintedTitle_;  // "<title> - <version>"
  HWND window_ = nullptr;
  MainControls controls_;
  int startHolds_ = 0;
  uint16_t deferredPress_ = kNoStartButton;
  std::optional<TaskbarButton> taskbar_;  // from WM_CREATE on
  InstallSession session_;
};

}  // namespace sl
