#include "net/rate_limit.h"

#include <algorithm>
#include <chrono>

#include "net/http_rules.h"
#include "store/local_paths.h"

namespace sl {

void RateLimiter::Refill(uint64_t now) {
  // A clock read on another thread just before may be behind the last one: no time passed then.
  const uint64_t elapsed = now > lastMs_ ? now - lastMs_ : 0;
  lastMs_ = std::max(now, lastMs_);
  if (bytesPerSecond_ == 0) return;
  // Past a second the bucket is full whatever the rate (the allowance is below a second's worth);
  // bounding the time keeps the product far from overflow.
  const auto ms = static_cast<int64_t>(std::min<uint64_t>(elapsed, 1000));
  milliTokens_ = std::min(capacity_, milliTokens_ + ms * static_cast<int64_t>(bytesPerSecond_));
}

void RateLimiter::SetLimit(uint32_t kbps) {
  kbps = SaneDownloadLimit(kbps);
  std::lock_guard lock(mutex_);
  Refill(clock_());
  if (kbps == kbps_) return;
  const uint64_t before = bytesPerSecond_;
  kbps_ = kbps;
  bytesPerSecond_ = uint64_t{kbps} * 1024;
  capacity_ = static_cast<int64_t>(bytesPerSecond_ * kRateAllowanceMs);
  if (before == 0 || kbps == 0 || milliTokens_ >= 0) {
    // A cap that starts now starts with the allowance; bytes read without one are not owed.
    milliTokens_ = std::min(before == 0 ? capacity_ : milliTokens_, capacity_);
  } else if (bytesPerSecond_ < before) {
    // Bytes read under a higher cap were due at it: a lower one does not make their wait longer.
    const auto owedMs = static_cast<int64_t>((static_cast<uint64_t>(-milliTokens_) + before - 1) / before);
    milliTokens_ = -owedMs * static_cast<int64_t>(bytesPerSecond_);
  }  // a higher cap pays what is owed sooner
}

uint32_t RateLimiter::Limit() const {
  std::lock_guard lock(mutex_);
  return kbps_;
}

void RateLimiter::Take(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (bytesPerSecond_ == 0) return;
  Refill(clock_());
  // Bounded so no count of bytes can overflow the bucket: a day's worth is owed at most.
  const auto owedLimit = static_cast<int64_t>(bytesPerSecond_ * 86'400'000);
  const auto milli = static_cast<int64_t>(std::min<uint64_t>(bytes, uint64_t{1} << 40) * 1000);
  milliTokens_ = std::max(milliTokens_ - milli, -owedLimit);
}

uint64_t RateLimiter::WaitMs() {
  std::lock_guard lock(mutex_);
  if (bytesPerSecond_ == 0) return 0;
  Refill(clock_());
  if (milliTokens_ >= 0) return 0;
  const auto owed = static_cast<uint64_t>(-milliTokens_);
  return (owed + bytesPerSecond_ - 1) / bytesPerSecond_;
}

uint32_t CappedReadBytes(uint32_t sizerBytes, uint32_t kbps) {
  kbps = SaneDownloadLimit(kbps);
  if (kbps == 0) return sizerBytes;
  const uint64_t perSecond = uint64_t{kbps} * 1024;
  const uint64_t aim =
      std::max<uint64_t>(perSecond / kCappedReadsPerSecond / kMinReadBytes, 1) * kMinReadBytes;
  const uint64_t most = std::max<uint64_t>(perSecond * kCappedReadMostMs / 1000, 1);
  return static_cast<uint32_t>(std::min<uint64_t>({sizerBytes, aim, most}));
}

RateLimiter& DownloadRateLimiter() {
  static RateLimiter limiter([] {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  });
  return limiter;
}

void SetDownloadLimitKBps(uint32_t kbps) { DownloadRateLimiter().SetLimit(kbps); }

uint32_t DownloadLimitKBps() { return DownloadRateLimiter().Limit(); }

}  // namespace sl
