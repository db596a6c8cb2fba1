#include "store/download_limit.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(LimitRateOption, LastValidValueWinsAndBadOnesAreIgnored) {
  EXPECT_FALSE(FindLimitRateOption({"--other", "limit-rate=5"}).kbps);
  EXPECT_EQ(FindLimitRateOption({"--limit-rate=0"}).kbps, 0u);
  EXPECT_EQ(FindLimitRateOption({"--limit-rate=64", "--limit-rate=10000000"}).kbps, 10'000'000u);
  const std::vector<std::string> bad = {"--limit-rate=abc",
                                        "--limit-rate=-5",
                                        "--limit-rate=",
                                        "--limit-rate=10000001",
                                        "--limit-rate=5k",
                                        "--limit-rate= 5",
                                        "--limit-rate=99999999999999999999999",
                                        "--limit-rate"};
  std::vector<std::string> arguments = {"--limit-rate=256"};
  arguments.insert(arguments.end(), bad.begin(), bad.end());
  const LimitRateOption option = FindLimitRateOption(arguments);
  EXPECT_EQ(option.kbps, 256u);
  EXPECT_EQ(option.ignored, bad);
  EXPECT_EQ(SaneDownloadLimit(kMaxDownloadLimitKBps + 1), 0u);  // a stored absurd value
}

}  // namespace
}  // namespace sl
