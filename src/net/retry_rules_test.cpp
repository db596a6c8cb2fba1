#include "net/retry_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "diag/log_capture.h"

namespace sl {
namespace {

constexpr uint64_t kMinute = 60'000;

RetryDecision Decide(FailureKind kind, int attempt, uint64_t sinceNewByte = 0,
                     std::optional<uint64_t> retryAfter = std::nullopt, double jitter = 0.0) {
  return DecideRetry({kind, attempt, sinceNewByte, retryAfter, jitter});
}

TEST(RetryRule, TransientFailuresBackOffFromASecondDoublingToAMinute) {
  const std::vector<uint64_t> steps = {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000};
  for (FailureKind kind : {FailureKind::NoConnection, FailureKind::CutShort, FailureKind::ServerBusy}) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const RetryDecision decision = Decide(kind, static_cast<int>(i + 1), 1000);
      EXPECT_TRUE(decision.retry);
      EXPECT_EQ(decision.delayMs, steps[i]) << "attempt " << i + 1;
    }
  }
  // Jitter takes up to a quarter off a step, never adds to it.
  EXPECT_EQ(Decide(FailureKind::NoConnection, 3, 0, std::nullopt, 0.5).delayMs, 3500u);
  EXPECT_EQ(Decide(FailureKind::NoConnection, 7, 0, std::nullopt, 0.999999).delayMs, 45001u);
  EXPECT_EQ(Decide(FailureKind::NoConnection, 99, 0, std::nullopt, 0.0).delayMs, kMaxRetryDelayMs);
}

TEST(RetryRule, PermanentFailuresAreNeverTriedAgain) {
  for (FailureKind kind :
       {FailureKind::Refused, FailureKind::BadAnswer, FailureKind::RequestFailed, FailureKind::LocalFile}) {
    EXPECT_FALSE(Decide(kind, 1).retry);
    EXPECT_FALSE(Decide(kind, 1, 0, 5000).retry) << "a Retry-After does not make it transient";
  }
}

// The budget is time since the last new byte: a caller that saw new bytes starts it again, and the
// last try falls on its end.
TEST(RetryRule, GivesUpOnlyAfterTenMinutesWithoutANewByte) {
  EXPECT_TRUE(Decide(FailureKind::NoConnection, 12, 10 * kMinute - 1).retry);
  EXPECT_EQ(Decide(FailureKind::NoConnection, 12, 10 * kMinute - 1).delayMs, 1u);
  EXPECT_EQ(Decide(FailureKind::NoConnection, 12, 9 * kMinute + 30'000).delayMs, 30'000u);
  EXPECT_FALSE(Decide(FailureKind::NoConnection, 12, 10 * kMinute).retry);
  EXPECT_FALSE(Decide(FailureKind::CutShort, 1, 11 * kMinute).retry);
  // Refilled: the same failure count with fresh bytes tries again at the first step.
  EXPECT_EQ(Decide(FailureKind::CutShort, 1, 0).delayMs, 1000u);

  RetryInput startup{FailureKind::NoConnection, 6, 50'000, std::nullopt, 0.0, kStartupRetryBudgetMs};
  EXPECT_EQ(DecideRetry(startup).delayMs, 10'000u);
  startup.msSinceNewByte = kStartupRetryBudgetMs;
  EXPECT_FALSE(DecideRetry(startup).retry);
}

TEST(RetryRule, RetryAfterIsHonouredUpToTenMinutes) {
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 0, 7000).delayMs, 7000u) << "over the first step";
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 6, 0, 2000).delayMs, 2000u) << "under the backoff in force";
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 0, 0).delayMs, kFirstRetryDelayMs) << "no busy loop";
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 0, 3'600'000).delayMs, kMaxRetryAfterMs);
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 8 * kMinute, 5 * kMinute).delayMs, 2 * kMinute)
      << "never past the budget";
}

TEST(RetryAfter, SecondsOrAnHttpDate) {
  constexpr int64_t kNow = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
  EXPECT_EQ(ParseRetryAfter("120", kNow), 120'000u);
  EXPECT_EQ(ParseRetryAfter(" 0 ", kNow), 0u);
  EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:49:37 GMT", kNow), 0u);
  EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:50:07 GMT", kNow), 30'000u);
  EXPECT_EQ(ParseRetryAfter("Mon, 07 Nov 1994 08:49:37 GMT", kNow), 86'400'000u);
  EXPECT_EQ(ParseRetryAfter("Tue, 01 Mar 2028 00:00:00 GMT", 1835481600 - 1), 1000u) << "after a leap day";
  EXPECT_EQ(ParseRetryAfter("Sat, 05 Nov 1994 08:49:37 GMT", kNow), 0u) << "in the past";
  for (const char* bad :
       {"", "-5", "1.5", "soon", "Sun, 06 Nov 1994 08:49:37 UTC", "Sun, 06 Foo 1994 08:49:37 GMT",
        "Sun, 32 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT"}) {
    EXPECT_FALSE(ParseRetryAfter(bad, kNow)) << bad;
  }
  EXPECT_EQ(ParseRetryAfter("99999999999", kNow), 99999999999000u) << "a long wait is still a wait";
}

TEST(FailureKinds, StatusesAndSystemErrors) {
  for (uint32_t status : {408u, 425u, 429u, 500u, 502u, 503u, 504u})
    EXPECT_EQ(KindOfStatus(status), FailureKind::ServerBusy) << status;
  for (uint32_t status : {401u, 403u, 404u, 410u, 400u, 418u, 501u, 505u, 302u})
    EXPECT_EQ(KindOfStatus(status), FailureKind::Refused) << status;
  // Time-out, name not resolved, cannot connect, aborted, reset; Winsock's refused and reset.
  for (uint32_t code : {12002u, 12007u, 12029u, 12030u, 12031u, 10061u, 10054u})
    EXPECT_EQ(KindOfRequestError(code), FailureKind::NoConnection) << code;
  // Invalid URL, unrecognised scheme, a certificate from an unknown issuer, a revoked one.
  for (uint32_t code : {12005u, 12006u, 12045u, 12170u, 0u})
    EXPECT_EQ(KindOfRequestError(code), FailureKind::RequestFailed) << code;
}

TEST(RetryWaitText, SaysWhyAndCountsDown) {
  EXPECT_EQ(RetryWaitText(FailureKind::NoConnection, 8),
            "Mất kết nối đến máy chủ, tự động thử lại sau 8 giây...");
  EXPECT_EQ(RetryWaitText(FailureKind::CutShort, 59),
            "Mất kết nối đến máy chủ, tự động thử lại sau 59 giây...");
  EXPECT_EQ(RetryWaitText(FailureKind::ServerBusy, 125),
            "Máy chủ đang bận, tự động thử lại sau 2 phút 05 giây...");
}

class FakeRetryEnv final : public RetryEnv {
 public:
  uint64_t SteadyMs() override { return now; }
  double Jitter() override { return 0.0; }
  bool WaitToRetry(uint64_t delayMs, FailureKind) override {
    waits.push_back(delayMs);
    now += delayMs;
    return !stopAfterWait;
  }
  uint64_t now = 5000;
  std::vector<uint64_t> waits;
  bool stopAfterWait = false;
};

FetchedText Failure(FailureKind kind, uint32_t status = 0) {
  FetchedText fetched;
  fetched.failure = kind;
  fetched.httpStatus = status;
  return fetched;
}

TEST(FetchWithRetries, TriesUntilATextArrivesOrTheBudgetEnds) {
  FakeRetryEnv env;
  std::vector<FetchedText> answers = {Failure(FailureKind::ServerBusy, 429),
                                      Failure(FailureKind::NoConnection)};
  answers.back().retryAfterMs = std::nullopt;
  FetchedText ok;
  ok.body = "LatestVersion=122";
  answers.push_back(ok);
  size_t calls = 0;
  const FetchedText got =
      FetchWithRetries([&] { return answers[calls++]; }, env, kRetryBudgetMs, "http://h/a.ini", "test");
  EXPECT_EQ(got.body, "LatestVersion=122");
  EXPECT_EQ(env.waits, (std::vector<uint64_t>{1000, 2000}));
  const auto log = TakeCapturedLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, "Thử lại lần 1 sau 1000 ms (máy chủ đang bận), URL: http://h/a.ini");

  // A missing list is an answer, not a failure to wait out.
  calls = 0;
  env.waits.clear();
  EXPECT_EQ(FetchWithRetries(
                [&] {
                  ++calls;
                  return Failure(FailureKind::Refused, 404);
                },
                env, kRetryBudgetMs, "u", "test")
                .httpStatus,
            404u);
  EXPECT_EQ(calls, 1u);

  // Down for good: the last try falls on the end of the start-up budget.
  env.waits.clear();
  calls = 0;
  EXPECT_FALSE(FetchWithRetries(
                   [&] {
                     ++calls;
                     return Failure(FailureKind::NoConnection);
                   },
                   env, kStartupRetryBudgetMs, "u", "test")
                   .body);
  EXPECT_EQ(env.waits, (std::vector<uint64_t>{1000, 2000, 4000, 8000, 16000, 29000}));
  EXPECT_EQ(calls, 7u);

  // A stop during a wait ends the fetch.
  env.stopAfterWait = true;
  calls = 0;
  EXPECT_FALSE(FetchWithRetries(
                   [&] {
                     ++calls;
                     return Failure(FailureKind::NoConnection);
                   },
                   env, kRetryBudgetMs, "u", "test")
                   .body);
  EXPECT_EQ(calls, 1u);
  static_cast<void>(TakeCapturedLog());
}

}  // namespace
}  // namespace sl
