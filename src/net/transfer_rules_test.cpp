#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "diag/log.h"
#include "net/http_rules.h"
#include "net/transfer_rules.h"

namespace sl {

namespace {

constexpr uint64_t kMinute = 60'000;

RetryDecision Decide(FailureKind kind, int attempt, uint64_t sinceNewByte = 0,
                     std::optional<uint64_t> retryAfter = std::nullopt, double jitter = 0.0) {
  return DecideRetry({kind, attempt, sinceNewByte, retryAfter, jitter});
}

TEST(RetryRule, BacksOffFromASecondToAMinuteAndGivesUpOnlyOnPermanentFailures) {
  const std::vector<uint64_t> steps = {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
  for (size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(Decide(FailureKind::CutShort, static_cast<int>(i + 1)).delayMs, steps[i]) << i + 1;
  // Jitter takes up to a quarter off a step, never adds to it.
  EXPECT_EQ(Decide(FailureKind::NoConnection, 3, 0, std::nullopt, 0.5).delayMs, 3500u);
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 7, 0, std::nullopt, 0.999999).delayMs, 45001u);
  for (FailureKind kind :
       {FailureKind::Refused, FailureKind::BadAnswer, FailureKind::RequestFailed, FailureKind::LocalFile})
    EXPECT_FALSE(Decide(kind, 1, 0, 5000).retry) << "a Retry-After does not make it transient";
}

// The budget is time since the last new byte, which the caller restarts; the last try falls on its
// end, and a server's Retry-After counts within it.
TEST(RetryRule, BudgetAndRetryAfter) {
  EXPECT_EQ(Decide(FailureKind::NoConnection, 12, 9 * kMinute + 30'000).delayMs, 30'000u);
  EXPECT_FALSE(Decide(FailureKind::NoConnection, 12, 10 * kMinute).retry);
  RetryInput startup{FailureKind::NoConnection, 6, kStartupRetryBudgetMs, std::nullopt, 0.0,
                     kStartupRetryBudgetMs};
  EXPECT_FALSE(DecideRetry(startup).retry);

  EXPECT_EQ(Decide(FailureKind::ServerBusy, 6, 0, 2000).delayMs, 2000u) << "under the backoff in force";
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 0, 0).delayMs, kFirstRetryDelayMs) << "no busy loop";
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 0, 3'600'000).delayMs, kMaxRetryAfterMs);
  EXPECT_EQ(Decide(FailureKind::ServerBusy, 1, 8 * kMinute, 5 * kMinute).delayMs, 2 * kMinute);
}

TEST(RetryAfter, SecondsOrAnHttpDate) {
  constexpr int64_t kNow = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
  EXPECT_EQ(ParseRetryAfter(" 120 ", kNow), 120'000u);
  EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:50:07 GMT", kNow), 30'000u);
  EXPECT_EQ(ParseRetryAfter("Tue, 01 Mar 2028 00:00:00 GMT", 1835481600 - 1), 1000u) << "after a leap day";
  EXPECT_EQ(ParseRetryAfter("Sat, 05 Nov 1994 08:49:37 GMT", kNow), 0u) << "in the past";
  for (const char* bad : {"", "-5", "1.5", "soon", "Sun, 06 Nov 1994 08:49:37 UTC",
                          "Sun, 32 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT"}) {
    EXPECT_FALSE(ParseRetryAfter(bad, kNow)) << bad;
  }
}

TEST(FailureKinds, OnlyNetworksThatComeBackAndBusyServersPass) {
  EXPECT_EQ(KindOfStatus(425), FailureKind::ServerBusy);
  EXPECT_EQ(KindOfStatus(501), FailureKind::Refused);
  // Time-out, cannot connect, reset; Winsock's refused. Not an invalid URL or an unknown issuer.
  for (uint32_t code : {12002u, 12029u, 12031u, 10061u})
    EXPECT_EQ(KindOfRequestError(code), FailureKind::NoConnection);
  for (uint32_t code : {12005u, 12045u, 0u}) EXPECT_EQ(KindOfRequestError(code), FailureKind::RequestFailed);
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

TEST(FetchWithRetries, TriesUntilATextArrivesTheBudgetEndsOrAStop) {
  FakeRetryEnv env;
  int calls = 0;
  const auto busyTwice = [&] {
    FetchedText fetched = Failure(FailureKind::ServerBusy, 429);
    if (++calls == 3) fetched.body = "LatestVersion=122";
    return fetched;
  };
  EXPECT_EQ(FetchWithRetries(busyTwice, env, kRetryBudgetMs, "http://h/a.ini", "test").body,
            "LatestVersion=122");
  EXPECT_EQ(env.waits, (std::vector<uint64_t>{1000, 2000}));
  EXPECT_EQ(TakeCapturedLog()[0].message,
            "Thử lại lần 1 sau 1000 ms (máy chủ đang bận), URL: http://h/a.ini");

  // Down for good: the last try falls on the end of the start-up budget.
  env.waits.clear();
  const auto down = [] { return Failure(FailureKind::NoConnection); };
  EXPECT_FALSE(FetchWithRetries(down, env, kStartupRetryBudgetMs, "u", "test").body);
  EXPECT_EQ(env.waits, (std::vector<uint64_t>{1000, 2000, 4000, 8000, 16000, 29000}));

  env.stopAfterWait = true;
  env.waits.clear();
  EXPECT_FALSE(FetchWithRetries(down, env, kRetryBudgetMs, "u", "test").body);
  EXPECT_EQ(env.waits.size(), 1u) << "a stop during a wait ends the fetch";
  static_cast<void>(TakeCapturedLog());
}

}  // namespace

namespace {

constexpr uint64_t kKiB = 1024;

class FakeClockLimiter : public ::testing::Test {
 protected:
  // `readers` transfers, each reading `bytes` whenever the limiter lets it, for `ms`: what they got.
  uint64_t ReadFor(uint64_t ms, uint64_t bytes, int readers = 1) {
    uint64_t got = 0;
    for (const uint64_t end = now_ + ms; now_ < end; ++now_) {
      for (int reader = 0; reader < readers; ++reader) {
        if (limiter_.WaitMs() != 0) continue;
        limiter_.Take(bytes);
        got += bytes;
      }
    }
    return got;
  }

  uint64_t now_ = 1'000'000;
  RateLimiter limiter_{[this] { return now_; }};
};

TEST_F(FakeClockLimiter, LongRunAverageIsTheCapForOneReaderOrFourTogether) {
  for (const uint32_t kbps : {1u, 64u, 1024u, 50'000u}) {
    for (const int readers : {1, 4}) {
      limiter_.SetLimit(kbps);
      const uint64_t read = CappedReadBytes(kMaxReadBytes, kbps);
      const uint64_t minute = 60 * kbps * kKiB;
      const uint64_t got = ReadFor(60'000, read, readers);
      // Give or take the allowance and the reads that end the minute.
      EXPECT_LE(got, minute + kbps * kKiB * kRateAllowanceMs / 1000 + readers * read) << kbps;
      EXPECT_GE(got, minute - read) << kbps;
      limiter_.SetLimit(0);
    }
  }
}

TEST_F(FakeClockLimiter, NoCapNeverWaitsAndAChangeAppliesAtOnce) {
  limiter_.Take(uint64_t{1} << 40);
  EXPECT_EQ(limiter_.WaitMs(), 0u);

  limiter_.SetLimit(64);
  limiter_.Take(64 * kKiB + 8 * kKiB);  // a second past the allowance
  EXPECT_EQ(limiter_.WaitMs(), 1000u);
  limiter_.SetLimit(1024);  // paid at the higher cap
  EXPECT_EQ(limiter_.WaitMs(), 63u);
  limiter_.SetLimit(16);  // and not later than it was due
  EXPECT_EQ(limiter_.WaitMs(), 63u);
  now_ += 63;
  limiter_.Take(16 * kKiB);  // from now on at the lower cap
  EXPECT_EQ(limiter_.WaitMs(), 1000u);
  limiter_.SetLimit(0);  // none: nothing is owed
  EXPECT_EQ(limiter_.WaitMs(), 0u);
  limiter_.Take(10 * 1024 * kKiB);
  limiter_.SetLimit(64);  // nor what was read without a cap
  EXPECT_EQ(limiter_.WaitMs(), 0u);

  limiter_.SetLimit(10'000'001);  // absurd: none
  EXPECT_EQ(limiter_.Limit(), 0u);
  limiter_.SetLimit(1);
  limiter_.Take(uint64_t{1} << 50);  // no overflow: a day is owed at most
  EXPECT_EQ(limiter_.WaitMs(), 86'400'000u);
}

TEST_F(FakeClockLimiter, NoBurstPastTheAllowanceAfterIdleAndEveryByteCountsOnce) {
  limiter_.SetLimit(1024);
  static_cast<void>(ReadFor(5000, 32 * kKiB));
  now_ += 60'000;
  uint64_t burst = 0;
  while (limiter_.WaitMs() == 0) {
    limiter_.Take(4 * kKiB);
    burst += 4 * kKiB;
  }
  EXPECT_EQ(burst, 1024 * kKiB * kRateAllowanceMs / 1000 + 4 * kKiB);

  limiter_.SetLimit(0);
  limiter_.SetLimit(1);  // 1024 bytes a second, an allowance of 128 bytes
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        limiter_.Take(1024);
        static_cast<void>(limiter_.WaitMs());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(limiter_.WaitMs(), ((uint64_t{4000} * 1024 - 128) * 1000 + 1023) / 1024);
}

TEST(CappedReadBytes, ASixteenthOfASecondOfTheCapAndNeverMoreThanAQuarter) {
  EXPECT_EQ(CappedReadBytes(kMaxReadBytes, 0), kMaxReadBytes);
  EXPECT_EQ(CappedReadBytes(kMaxReadBytes, 1024), 64 * kKiB);
  EXPECT_EQ(CappedReadBytes(kMaxReadBytes, 1000), 60 * kKiB);  // in whole 4 KiB
  EXPECT_EQ(CappedReadBytes(kFirstReadBytes, 1024), kFirstReadBytes);
  EXPECT_EQ(CappedReadBytes(kMaxReadBytes, 16), kMinReadBytes);
  for (uint32_t kbps = 1; kbps < 200'000; kbps = kbps * 3 / 2 + 1) {
    const uint32_t bytes = CappedReadBytes(kMaxReadBytes, kbps);
    EXPECT_LE(bytes, kbps * kKiB / 4) << kbps;
    // Below ReadSizer's floor only when the floor would take longer than a quarter second.
    EXPECT_TRUE(bytes >= kMinReadBytes || bytes == kbps * kKiB / 4) << kbps;
  }
}

}  // namespace

}  // namespace sl
