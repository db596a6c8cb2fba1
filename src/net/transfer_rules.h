// How transfers behave, free of Win32: the retry rule with its waits and the retrying text fetch, the system
// errors it names by number, and the download cap's token bucket and read size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace sl {

// When a failed request is tried again. A home connection drops for half a minute, a CDN answers
// 429 or 503 while it is busy: such failures pass, and the program waits them out by itself. An
// answer that will not change by asking again (403, 404, a wrong length) ends the request at once.

// How a request failed, as far as trying it again is concerned.
// FailureText keeps its texts in this order.
enum class FailureKind {
  NoConnection,   // refused, reset, aborted, name not resolved, timed out: no usable answer
  CutShort,       // the body stopped before its length (a failed read or an early end)
  ServerBusy,     // 408, 425, 429, 500, 502, 503, 504
  Refused,        // any other status: 401, 403, 404, 410, other 4xx, ...
  BadAnswer,      // a length missing or not the listed one, a wrong Content-Range
  RequestFailed,  // any other failure of the request: TLS refused, an unusable URL, ...
  LocalFile,      // the file cannot be created, written or positioned, or another writer has it
};

[[nodiscard]] bool IsTransient(FailureKind kind);

// The kind of a final HTTP status other than 200 and 206.
[[nodiscard]] FailureKind KindOfStatus(uint32_t status);

// The kind of a system error that ended a request before its answer (WinINet, WinHTTP and
// Winsock codes): the network failures that pass are NoConnection, everything else RequestFailed.
[[nodiscard]] FailureKind KindOfRequestError(uint32_t systemCode);

// A few words for the log on why a try failed.
[[nodiscard]] std::string_view FailureText(FailureKind kind);

// What the player reads while a fetch waits to try again: the connection was lost (or the server
// is busy), and the seconds, or minutes and seconds, to the next try.
[[nodiscard]] std::string RetryWaitText(FailureKind why, uint64_t secondsLeft);

// The backoff starts at a second and doubles up to a minute; a file gives up only after ten minutes
// without one new byte, and a server's Retry-After is honoured up to ten minutes.
inline constexpr uint64_t kFirstRetryDelayMs = 1000;
inline constexpr uint64_t kMaxRetryDelayMs = 60'000;
inline constexpr uint64_t kRetryBudgetMs = 10 * 60'000;
inline constexpr uint64_t kMaxRetryAfterMs = 10 * 60'000;
// The version and launcher manifests at start-up: the player is waiting for the window to settle.
inline constexpr uint64_t kStartupRetryBudgetMs = 60'000;

struct RetryInput {
  FailureKind kind = FailureKind::NoConnection;
  int attempt = 1;              // failed tries since the last new byte, this one included
  uint64_t msSinceNewByte = 0;  // since the last new byte arrived, or since the first try
  std::optional<uint64_t> retryAfterMs;
  double jitter = 0.0;  // uniform in [0, 1): spreads the tries of many players after one outage
  uint64_t budgetMs = kRetryBudgetMs;
};

struct RetryDecision {
  bool retry = false;
  uint64_t delayMs = 0;
};

// Give up on a permanent failure or once the budget is spent; otherwise wait the server's
// Retry-After (at least the first step) or the backoff step of this attempt, less up to a quarter
// of it by jitter, and never past the end of the budget: the last try falls on its end.
[[nodiscard]] RetryDecision DecideRetry(const RetryInput& input);

// A Retry-After value in milliseconds from `nowUnixSeconds`: delta-seconds or an HTTP date
// ("Sun, 06 Nov 1994 08:49:37 GMT"); a date in the past is 0. None when it is neither.
[[nodiscard]] std::optional<uint64_t> ParseRetryAfter(std::string_view value, int64_t nowUnixSeconds);

// The answer to one GET request for a text.
struct FetchedText {
  std::optional<std::string> body;  // none when the request failed
  uint32_t errorCode = 0;           // why it failed: the system's code, read before anything else ran
  uint32_t httpStatus = 0;          // the server's status, 0 when no answer arrived
  FailureKind failure = FailureKind::NoConnection;  // when there is no body
  std::optional<uint64_t> retryAfterMs;
  std::string refusal;  // the player's text when the program refused the request itself
};

// The clock, the waits and the randomness of a retrying request: Win32 in the program, fakes in
// the tests.
class RetryEnv {
 public:
  virtual ~RetryEnv() = default;
  [[nodiscard]] virtual uint64_t SteadyMs() = 0;
  [[nodiscard]] virtual double Jitter() = 0;  // uniform in [0, 1)
  // Waits before the next try and shows the countdown; false when a stop cut the wait short.
  [[nodiscard]] virtual bool WaitToRetry(uint64_t delayMs, FailureKind why) = 0;
};

// Fetches once, and again after each transient failure until `budgetMs` has passed since the
// first try (a text arrives whole or not at all). Each try again is logged under `logSource`.
[[nodiscard]] FetchedText FetchWithRetries(const std::function<FetchedText()>& fetchOnce, RetryEnv& env,
                                           uint64_t budgetMs, std::string_view url,
                                           std::string_view logSource);

// The download bandwidth cap: one token bucket for the whole process, shared by every transfer
// running at once, and the read size it allows. Free of Win32; the download thread waits what
// DownloadRateLimiter().WaitMs() says after each read (WaitForDownloadBudget, retry_wait_win.h).

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

// The system errors the portable rules tell apart, by number as <wininet.h>, <winhttp.h>,
// <winsock2.h> and <winerror.h> give them (WinHTTP shares WinINet's numbers). The Win32 layer
// checks each against the SDK, so a copy cannot drift.

inline constexpr uint32_t kInternetTimeout = 12002;
inline constexpr uint32_t kInternetNameNotResolved = 12007;
inline constexpr uint32_t kInternetCannotConnect = 12029;
inline constexpr uint32_t kInternetConnectionAborted = 12030;
inline constexpr uint32_t kInternetConnectionReset = 12031;
inline constexpr uint32_t kInternetForceRetry = 12032;
inline constexpr uint32_t kHttpInvalidServerResponse = 12152;
inline constexpr uint32_t kInternetDisconnected = 12163;
inline constexpr uint32_t kInternetServerUnreachable = 12164;
inline constexpr uint32_t kWsaConnectionAborted = 10053;
inline constexpr uint32_t kWsaConnectionReset = 10054;
inline constexpr uint32_t kWsaTimedOut = 10060;
inline constexpr uint32_t kWsaConnectionRefused = 10061;
inline constexpr uint32_t kWsaHostUnreachable = 10065;
inline constexpr uint32_t kWsaHostNotFound = 11001;
inline constexpr uint32_t kWsaTryAgain = 11002;
inline constexpr uint32_t kErrorConnectionRefused = 1225;
inline constexpr uint32_t kErrorNetworkUnreachable = 1231;
inline constexpr uint32_t kErrorHostUnreachable = 1232;
inline constexpr uint32_t kErrorConnectionAborted = 1236;

// Refused, reset or aborted connections, names not resolved, time-outs: a network that comes back.
inline constexpr std::array<uint32_t, 20> kPassingNetworkErrors = {
    kInternetTimeout,           kInternetNameNotResolved,
    kInternetCannotConnect,     kInternetConnectionAborted,
    kInternetConnectionReset,   kInternetForceRetry,
    kHttpInvalidServerResponse, kInternetDisconnected,
    kInternetServerUnreachable, kWsaConnectionAborted,
    kWsaConnectionReset,        kWsaTimedOut,
    kWsaConnectionRefused,      kWsaHostUnreachable,
    kWsaHostNotFound,           kWsaTryAgain,
    kErrorConnectionRefused,    kErrorNetworkUnreachable,
    kErrorHostUnreachable,      kErrorConnectionAborted,
};

}  // namespace sl
