// The download bandwidth cap: one token bucket for the whole process, shared by every transfer
// running at once, and the read size it allows. Free of Win32; the download thread waits what
// DownloadRateLimiter().WaitMs() says after each read (WaitForDownloadBudget, retry_wait_win.h).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>

namespace sl {

// After idle the bucket holds this much time's worth of bytes at most: a transfer that starts or
// resumes may read that far ahead of the cap, no further.
inline constexpr uint64_t kRateAllowanceMs = 125;
// Under a cap a read takes no more than a quarter second of it, so the progress moves at least twice
// a second, and aims at a sixteenth: each read makes the system's receive buffer grow to what it
// takes at once, and what that buffer holds has crossed the link ahead of the cap.
inline constexpr uint64_t kCappedReadMostMs = 250;
inline constexpr uint64_t kCappedReadsPerSecond = 16;

class RateLimiter {
 public:
  using Clock = std::function<uint64_t()>;  // steady milliseconds
  explicit RateLimiter(Clock clock) : clock_(std::move(clock)) {}

  // KB/s (1 KB = 1024 bytes); 0: no cap. Takes effect at once: what is owed is paid at a higher cap
  // from now on, within the time it was due at a lower one, and not at all without one.
  void SetLimit(uint32_t kbps);
  [[nodiscard]] uint32_t Limit() const;
  // Counts `bytes` that arrived against the budget (nothing without a cap).
  void Take(uint64_t bytes);
  // How long no transfer should read again: until what was taken is paid for; 0 without a cap.
  [[nodiscard]] uint64_t WaitMs();

 private:
  void Refill(uint64_t now);  // with mutex_ held

  const Clock clock_;
  mutable std::mutex mutex_;
  uint32_t kbps_ = 0;
  uint64_t bytesPerSecond_ = 0;
  // In thousandths of a byte, so that a millisecond adds exactly bytesPerSecond_; below 0 while
  // taken bytes are owed, at most the allowance.
  int64_t milliTokens_ = 0;
  int64_t capacity_ = 0;
  uint64_t lastMs_ = 0;
};

// The body read under a cap of `kbps`, given the size ReadSizer asks for (never more): what the cap
// lets through in 1/kCappedReadsPerSecond s, in whole kMinReadBytes and at least one of them, and never more
// than it lets through in kCappedReadMostMs (so below 16 KB/s less than ReadSizer's floor rather
// than no progress for seconds). `sizerBytes` unchanged without a cap.
[[nodiscard]] uint32_t CappedReadBytes(uint32_t sizerBytes, uint32_t kbps);

// The process-wide cap every download obeys, on the steady clock. Any thread; a change reaches
// the running transfers within their next wait slice.
[[nodiscard]] RateLimiter& DownloadRateLimiter();
// kbps above kMaxDownloadLimitKBps (store/local_paths.h) count as 0: no cap.
void SetDownloadLimitKBps(uint32_t kbps);
[[nodiscard]] uint32_t DownloadLimitKBps();

}  // namespace sl
