#include <gtest/gtest.h>

#include "store/local_paths.h"

namespace sl {

namespace {

TEST(PathHelpers, ConcatAndSubstringEdges) {
  EXPECT_FALSE(ConcatAlloc("", "").has_value());
  EXPECT_EQ(ConcatAlloc("", "b"), "b");
  EXPECT_EQ(ConcatAlloc("a", ""), "a");
  EXPECT_EQ(Substring("abcdef", 4, 100), "ef");
  EXPECT_EQ(Substring("abcdef", 5, SIZE_MAX), "f");  // start + count must not wrap
  EXPECT_FALSE(Substring("abcdef", 6, 1).has_value());
}

TEST(PathHelpers, TrimRemovesOneBackslash) {
  EXPECT_EQ(TrimOneTrailingBackslash("D:\\SL\\\\"), "D:\\SL\\");
  EXPECT_EQ(TrimOneTrailingBackslash("C:\\"), "C:");
  EXPECT_EQ(TrimOneTrailingBackslash(""), "");
}

TEST(PathHelpers, FileNamesFollowTheExecutable) {
  const std::string saved = Paths().exeBaseName;
  Paths().exeBaseName = "Stormline_VN";
  EXPECT_EQ(MakeZipName(1025), "Stormline_VN_1025.zip");
  EXPECT_EQ(MakeBinName(), "Stormline_VN.bin");
  Paths().exeBaseName = saved;
}

}  // namespace

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
