// Retrying on Windows: the steady clock, a random jitter, and waits that a stop cuts short and that
// a window sees counting down.
#pragma once

#include <windows.h>

#include <cstdint>

#include "diag/worker_win.h"
#include "net/transfer_rules.h"

namespace sl {

class WinRetryEnv final : public RetryEnv {
 public:
  // `window` (may be null) gets WM_DOWNLOAD_RETRY each second of a wait; `stop` (may be null)
  // ends a wait early and silences the window.
  WinRetryEnv(HWND window, const StopFlag* stop) : window_(window), stop_(stop) {}

  uint64_t SteadyMs() override;
  double Jitter() override;
  bool WaitToRetry(uint64_t delayMs, FailureKind why) override;

 private:
  HWND window_;
  const StopFlag* stop_;
};

// Counts `bytes` that a download just read against the process's cap (net/transfer_rules.h) and waits
// as long as the cap asks, in slices that see a change of the cap and a stop at once. False when
// `stop` ended the wait.
[[nodiscard]] bool WaitForDownloadBudget(uint64_t bytes, const StopFlag& stop);

}  // namespace sl
