#include "manifest/version_manifest.h"

#include <gtest/gtest.h>

#include "diag/log.h"

namespace sl {
namespace {

TEST(GetIniValue, FollowsTheFirstOccurrenceToTheNextLineFeed) {
  const char* cases[][2] = {
      {"MyLatestVersion=7\nLatestVersion=105\n", "7"},  // a plain substring: the first one wins
      {"LatestVersion= \t105 \r\n", "105"},
      {"LatestVersion=1 2\n", "1 2"},
      {"LatestVersion\nOther=3\n", "3"},  // the "=" may be on a later line
      {"LatestVersion=105", ""},          // last line without a line feed
      {"LatestVersion 105\n", ""},
      {"latestversion=105\n", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(GetIniValue(text, "LatestVersion"), expected) << text;
}

TEST(ApplyVersionManifest, ReadsFourValuesBehindAByteOrderMarkAndKeepsMissingOnes) {
  InstallState state;
  state.preDownEnd = 6;
  ApplyVersionManifest(
      "\xEF\xBB\xBFLatestVersion=105\r\nMinimalVersion=100\r\nPreDownStart=-3\r\nPreDownEnd=\r\n", state);
  EXPECT_EQ(state.latestVersion, 105);
  EXPECT_EQ(state.minimalVersion, 100);
  EXPECT_EQ(state.preDownStart, -3);
  EXPECT_EQ(state.preDownEnd, 6);
  EXPECT_TRUE(TakeCapturedLog().empty());
}

TEST(ApplyVersionManifest, TakesLeadingDigitsWithinInt32AndLogsTheRest) {
  const std::pair<const char*, int32_t> read[] = {
      {"105abc", 105}, {"+8", 8}, {"\v\f9", 9}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
  for (const auto& [value, expected] : read) {
    InstallState state;
    ApplyVersionManifest(std::string("LatestVersion=") + value + "\n", state);
    EXPECT_EQ(state.latestVersion, expected) << value;
  }
  EXPECT_TRUE(TakeCapturedLog().empty());

  for (const char* value : {"abc", "-", "- 5", "2147483648", "-2147483649", "99999999999999999999999999"}) {
    InstallState state;
    state.latestVersion = 77;
    ApplyVersionManifest(std::string("LatestVersion=") + value + "\n", state);
    EXPECT_EQ(state.latestVersion, 77) << value;
    const std::vector<CapturedLogEntry> log = TakeCapturedLog();
    ASSERT_EQ(log.size(), 1u) << value;
    EXPECT_EQ(log[0], (CapturedLogEntry{
                          "StormlineHelper ", 0,
                          std::string("version.ini: LatestVersion=") + value + " is not a number", true}));
  }
}

TEST(ReleaseUrls, CarryASeventeenDigitUtcStamp) {
  const UtcTime time{2024, 12, 31, 23, 59, 59, 999};
  EXPECT_EQ(MakeStamp({987, 1, 2, 3, 4, 5, 6}), "09870102030405006");
  EXPECT_EQ(VersionManifestUrl("http://d", time), "http://d/autoreal/version.ini?t=20241231235959999");
  EXPECT_EQ(FullListUrl("http://d", 105, time), "http://d/patch/SL_Full_105.ini?t=20241231235959999");
  EXPECT_EQ(PatchListUrl("http://d", -1, time), "http://d/patch/SL_Patch_-1.ini?t=20241231235959999");
}

}  // namespace
}  // namespace sl
