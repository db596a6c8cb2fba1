#include "net/rate_limit.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "net/http_rules.h"

namespace sl {
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
