// Reading and photographing the program's window from the outside, as a player sees it.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace sl::e2e {

// The child control whose top-left corner lies at (x, y) of the parent's client area.
[[nodiscard]] HWND ChildAt(HWND parent, int x, int y);
[[nodiscard]] std::string TextOf(HWND window);
[[nodiscard]] bool IsShown(HWND parent, int controlId);

// Saves what the screen shows of `window` as a PNG file.
bool SaveScreenshot(HWND window, const std::wstring& path);

// The text of a message box of `processId` (its static text) and its caption; presses `button`.
struct MessageBoxSeen {
  std::string caption;
  std::string text;
};
[[nodiscard]] MessageBoxSeen AnswerMessageBox(DWORD processId, int button,
                                              std::chrono::milliseconds timeout = std::chrono::seconds(15));

}  // namespace sl::e2e
