#include "ui/taskbar_win.h"

#include <algorithm>

namespace sl {
namespace {

TBPFLAG FlagOf(TaskbarButton::State state) {
  switch (state) {
    case TaskbarButton::State::Normal:
      return TBPF_NORMAL;
    case TaskbarButton::State::Paused:
      return TBPF_PAUSED;
    case TaskbarButton::State::Error:
      return TBPF_ERROR;
    case TaskbarButton::State::None:
      break;
  }
  return TBPF_NOPROGRESS;
}

}  // namespace

UINT TaskbarButton::CreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

ITaskbarList3* TaskbarButton::List() {
  if (list_) return list_.get();
  ITaskbarList3* list = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))))
    return nullptr;
  list_.reset(list);
  if (FAILED(list->HrInit())) list_.reset();
  return list_.get();
}

void TaskbarButton::ShowProgress(uint64_t done, uint64_t total) {
  if (total == 0) return;
  // Progress given while paused or failed keeps that colour: only a state change moves it.
  if (state_ == State::None) ShowState(State::Normal);
  const auto permille =
      static_cast<uint32_t>(static_cast<double>(std::min(done, total)) / static_cast<double>(total) * 1000);
  if (permille == shownPermille_) return;
  shownPermille_ = permille;
  if (ITaskbarList3* list = List()) list->SetProgressValue(window_, done, total);
}

void TaskbarButton::ShowState(State state) {
  state_ = state;
  shownPermille_ = kNothingShown;  // a state change may clear the value the button showed
  if (ITaskbarList3* list = List()) list->SetProgressState(window_, FlagOf(state));
}

void TaskbarButton::EndRun() {
  ShowState(State::None);
  if (::GetForegroundWindow() == window_) return;
  FLASHWINFO flash{sizeof(flash), window_, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
  ::FlashWindowEx(&flash);
}

}  // namespace sl
