// What an install session shows: the window that owns its messages and dialogs, the progress
// panel and the idle view. The main window implements it; the session never sees a control.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "install/controller.h"

namespace sl {

class InstallView {
 public:
  virtual ~InstallView() = default;

  // Receives the pipeline's messages and owns its message boxes.
  [[nodiscard]] virtual HWND Window() const = 0;

  // The progress panel. The set operations only store; Redraw repaints (throttled by the view).
  virtual void SetStatusLine(const std::string& text) = 0;
  virtual void SetRemainingLine(const std::string& text) = 0;
  virtual void SetCurrentPercent(int32_t percent, const std::string& text) = 0;
  virtual void SetTotalProgress(uint64_t done, uint64_t total) = 0;
  virtual void Redraw() = 0;

  // The progress view in place of the idle view.
  virtual void ShowProgressView() = 0;
  // A run's failure, told in a message box owned by the window (error icon, one OK button).
  virtual void ShowError(const std::string& text, const std::string& caption) = 0;
  // The pause button's text and whether it can be pressed.
  virtual void ShowPauseControl(PauseControl control) = 0;
  // The start button comes back and the idle view is shown (CMD_RETURN_TO_IDLE, in order with
  // the window's other commands).
  virtual void ReturnToIdle() = 0;
  // While held (holds count), a start button's press waits: the start-up checks are not done.
  virtual void HoldStart(bool hold) = 0;
  // Shows the free-space warning that stands in the way of a run; true when there is one.
  [[nodiscard]] virtual bool WarnBeforeStart() = 0;
  // The folder and version captions and the idle view of the install mode now in force.
  virtual void RefreshFolderTexts() = 0;
};

}  // namespace sl
