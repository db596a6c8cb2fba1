// Reading and photographing the program's window from the outside, as a player sees it.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace sl::e2e {

// The child control whose top-left corner lies at (x, y) of the parent's client area.
[[nodiscard]] HWND ChildAt(HWND parent, int x, int y);
[[nodiscard]] std::string TextOf(HWND window);
[[nodiscard]] bool IsShown(HWND parent, int controlId);

// The main window's start buttons.
inline constexpr int kInstallButton = 1720, kUpdateButton = 1721, kPlayButton = 1722;
// True when the idle view offers `startButton` alone. Every button is created visible, so until the
// start-up read has set the view all three are shown and any one of them says nothing.
[[nodiscard]] bool OffersOnly(HWND window, int startButton);

// Saves what the screen shows of `window` as a PNG file.
bool SaveScreenshot(HWND window, const std::wstring& path);

// The text of a message box of `processId` (its static text) and its caption; presses `button`.
struct MessageBoxSeen {
  std::string caption;
  std::string text;
};
[[nodiscard]] MessageBoxSeen AnswerMessageBox(DWORD processId, int button,
                                              std::chrono::milliseconds timeout = std::chrono::seconds(15));

// Asks the window every 50 ms whether it answers (WM_NULL, at most 500 ms) and keeps the longest
// wait, from construction to destruction.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window);
  ~AnswerWatch();
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;
  [[nodiscard]] double LongestMs() const { return longestMs_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<double> longestMs_{0};
  std::thread thread_;
};

}  // namespace sl::e2e
