#include "net/transfer_rules.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>

#include "base/text.h"
#include "diag/log.h"
#include "net/http_rules.h"
#include "store/local_paths.h"

namespace sl {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

std::optional<unsigned> Digits(std::string_view text, size_t at, size_t count) {
  const std::optional<uint64_t> value = ParseDecimalDigits(text.substr(at, count));
  if (!value || text.substr(at, count).size() != count) return std::nullopt;
  return static_cast<unsigned>(*value);
}

// IMF-fixdate, the one form servers are to send: "Sun, 06 Nov 1994 08:49:37 GMT".
std::optional<int64_t> ParseHttpDate(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' ||
      text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
    return std::nullopt;
  }
  const auto day = Digits(text, 5, 2);
  const auto year = Digits(text, 12, 4);
  const auto hour = Digits(text, 17, 2);
  const auto minute = Digits(text, 20, 2);
  const auto second = Digits(text, 23, 2);
  const auto month = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
  if (!day || !year || !hour || !minute || !second || month == kMonths.end() || *day < 1 || *day > 31 ||
      *hour > 23 || *minute > 59 || *second > 60) {
    return std::nullopt;
  }
  const auto monthNumber = static_cast<unsigned>(month - kMonths.begin()) + 1;
  return DaysFromCivil(*year, monthNumber, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

}  // namespace

bool IsTransient(FailureKind kind) {
  return kind == FailureKind::NoConnection || kind == FailureKind::CutShort ||
         kind == FailureKind::ServerBusy;
}

FailureKind KindOfStatus(uint32_t status) {
  switch (status) {
    case 408:  // request time-out
    case 425:  // too early
    case 429:  // too many requests
    case 500:
    case 502:
    case 503:
    case 504:
      return FailureKind::ServerBusy;
    default:
      return FailureKind::Refused;
  }
}

FailureKind KindOfRequestError(uint32_t systemCode) {
  for (const uint32_t passing : kPassingNetworkErrors) {
    if (systemCode == passing) return FailureKind::NoConnection;
  }
  return FailureKind::RequestFailed;
}

std::string_view FailureText(FailureKind kind) {
  // In the order of FailureKind.
  static constexpr std::string_view kTexts[] = {"không kết nối được máy chủ",
                                                "đường truyền bị ngắt giữa chừng",
                                                "máy chủ đang bận",
                                                "máy chủ từ chối",
                                                "câu trả lời sai",
                                                "yêu cầu thất bại",
                                                "lỗi tệp trên máy"};
  static_assert(std::size(kTexts) == static_cast<size_t>(FailureKind::LocalFile) + 1);
  const auto index = static_cast<size_t>(kind);
  return index < std::size(kTexts) ? kTexts[index] : std::string_view{};
}

std::string RetryWaitText(FailureKind why, uint64_t secondsLeft) {
  const char* what = why == FailureKind::ServerBusy ? "Máy chủ đang bận" : "Mất kết nối đến máy chủ";
  const auto seconds = static_cast<unsigned long long>(secondsLeft);
  if (seconds < 60) return Format("%s, tự động thử lại sau %llu giây...", what, seconds);
  return Format("%s, tự động thử lại sau %llu phút %02llu giây...", what, seconds / 60, seconds % 60);
}

RetryDecision DecideRetry(const RetryInput& input) {
  if (!IsTransient(input.kind) || input.msSinceNewByte >= input.budgetMs) return {};
  uint64_t delay = 0;
  if (input.retryAfterMs) {
    delay = std::clamp(*input.retryAfterMs, kFirstRetryDelayMs, kMaxRetryAfterMs);
  } else {
    const int doublings = std::clamp(input.attempt - 1, 0, 6);
    const uint64_t step = std::min(kMaxRetryDelayMs, kFirstRetryDelayMs << doublings);
    const double jitter = std::clamp(input.jitter, 0.0, 1.0);
    delay = step - static_cast<uint64_t>(static_cast<double>(step / 4) * jitter);
  }
  return {true, std::min(delay, input.budgetMs - input.msSinceNewByte)};
}

std::optional<uint64_t> ParseRetryAfter(std::string_view value, int64_t nowUnixSeconds) {
  value = TrimAsciiSpace(value);
  if (const std::optional<uint64_t> seconds = ParseDecimalDigits(value)) {
    return std::min<uint64_t>(*seconds, UINT64_MAX / 1000) * 1000;
  }
  const std::optional<int64_t> date = ParseHttpDate(value);
  if (!date) return std::nullopt;
  return *date <= nowUnixSeconds ? 0 : static_cast<uint64_t>(*date - nowUnixSeconds) * 1000;
}

FetchedText FetchWithRetries(const std::function<FetchedText()>& fetchOnce, RetryEnv& env, uint64_t budgetMs,
                             std::string_view url, std::string_view logSource) {
  const uint64_t start = env.SteadyMs();
  for (int attempt = 1;; ++attempt) {
    FetchedText fetched = fetchOnce();
    if (fetched.body) return fetched;
    const RetryDecision decision = DecideRetry(
        {fetched.failure, attempt, env.SteadyMs() - start, fetched.retryAfterMs, env.Jitter(), budgetMs});
    if (!decision.retry) return fetched;
    WriteLog(logSource, 0,
             Format("Thử lại lần %d sau %llu ms (%.*s), URL: %.*s", attempt,
                    static_cast<unsigned long long>(decision.delayMs),
                    static_cast<int>(FailureText(fetched.failure).size()),
                    FailureText(fetched.failure).data(), static_cast<int>(url.size()), url.data()));
    if (!env.WaitToRetry(decision.delayMs, fetched.failure)) return fetched;
  }
}

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
