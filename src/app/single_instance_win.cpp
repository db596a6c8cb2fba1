#include "app/single_instance_win.h"

#include "ui/view_rules.h"

namespace sl {

InstanceClaim ClaimSingleInstance() {
  InstanceClaim claim;
  claim.mutex.reset(::CreateMutexW(nullptr, FALSE, L"Global\\Stormline_p"));
  claim.anotherRunning = ::GetLastError() == ERROR_ALREADY_EXISTS;
  return claim;
}

void RaiseRunningInstance(const std::wstring& className, const std::wstring& title) {
  HWND other = ::FindWindowW(className.c_str(), title.c_str());
  if (other == nullptr) return;
  const bool visible = ::IsWindowVisible(other) != FALSE;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (visible) ::GetWindowPlacement(other, &placement);
  if (NeedsRestore(visible, static_cast<int>(placement.showCmd))) ::ShowWindow(other, SW_SHOWNORMAL);
  ::SetForegroundWindow(other);
}

}  // namespace sl
