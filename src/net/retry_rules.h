// When a failed request is tried again. A home connection drops for half a minute, a CDN answers
// 429 or 503 while it is busy: such failures pass, and the program waits them out by itself. An
// answer that will not change by asking again (403, 404, a wrong length) ends the request at once.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// How a request failed, as far as trying it again is concerned.
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

}  // namespace sl
