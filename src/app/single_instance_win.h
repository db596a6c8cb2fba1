// The one-instance-per-machine rule.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle_win.h"

namespace sl {

// Takes the machine-wide name; an invalid handle still means "only instance" (the rule
// only stops a start when another process is known to hold the name).
struct InstanceClaim {
  UniqueKernelHandle mutex;
  bool anotherRunning = false;
};

[[nodiscard]] InstanceClaim ClaimSingleInstance();

// Restores the running instance's window when it is hidden or minimised, then raises it.
void RaiseRunningInstance(const std::wstring& className, const std::wstring& title);

}  // namespace sl
