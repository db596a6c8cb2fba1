#include "base/clock.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(UnixSecondsFromFileTime, CountsFromNineteenSeventyInSeconds) {
  EXPECT_EQ(UnixSecondsFromFileTime(116444736000000000ULL), 0.0);
  EXPECT_EQ(UnixSecondsFromFileTime(116444736000000000ULL + 15'000'000), 1.5);
  // 2024-01-01T00:00:00Z, with its tenths of a second intact.
  EXPECT_DOUBLE_EQ(UnixSecondsFromFileTime(133485408000000000ULL + 2'000'000), 1704067200.2);
  EXPECT_EQ(UnixSecondsFromFileTime(116444736000000000ULL - 10'000'000), -1.0);
}

}  // namespace
}  // namespace sl
