// The run's progress on the main window's taskbar button (ITaskbarList3), and the button's flash
// when a run ends while the window is not in front. UI thread only; needs COM on it.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>
#include <memory>

namespace sl {

class TaskbarButton {
 public:
  enum class State { None, Normal, Paused, Error };

  explicit TaskbarButton(HWND window) : window_(window) {}

  // The shell's word that the button exists (and again after Explorer restarts): the list made
  // before it may no longer answer.
  [[nodiscard]] static UINT CreatedMessage();
  void OnCreated() {
    list_.reset();
    shownPermille_ = kNothingShown;
  }

  // done of total; total 0 keeps the last value.
  void ShowProgress(uint64_t done, uint64_t total);
  void ShowState(State state);
  // The run ended: no progress left on the button; it flashes until the window comes to the front.
  void EndRun();

 private:
  struct Release {
    void operator()(ITaskbarList3* list) const { list->Release(); }
  };
  ITaskbarList3* List();

  HWND window_;
  std::unique_ptr<ITaskbarList3, Release> list_;
  State state_ = State::None;
  // The button shows no finer than this: progress messages come many times a second, and each
  // call crosses to the shell.
  static constexpr uint32_t kNothingShown = UINT32_MAX;
  uint32_t shownPermille_ = kNothingShown;
};

// COM on the calling thread for as long as the object lives (the taskbar list needs it).
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace sl
