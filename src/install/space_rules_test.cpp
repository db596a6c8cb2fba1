#include "install/space_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(SpaceRules, WhatIsOnDiskCountsAndOneDriveMustHoldBothNeeds) {
  SpaceNeed need;
  AddToSpaceNeed(need, 1000, 400);   // resumed
  AddToSpaceNeed(need, 1000, 1000);  // whole
  AddToSpaceNeed(need, 1000, 5000);  // longer than listed: fetched again
  AddToSpaceNeed(need, 0, 700);      // no size given: nothing known
  EXPECT_EQ(need.download, 1600u);
  EXPECT_EQ(need.install, 3000u);

  EXPECT_FALSE(ShortSpaceText(need, {"D:\\", 1600}, {"C:\\", 3000}));
  EXPECT_FALSE(ShortSpaceText(need, {"D:\\", std::nullopt}, {"C:\\", std::nullopt}));  // not asked
  const auto download = ShortSpaceText(need, {"D:\\", 1599}, {"C:\\", 3000});
  ASSERT_TRUE(download);
  EXPECT_NE(download->find("Ổ đĩa D:\\ "), std::string::npos);
  EXPECT_NE(download->find("cần 2 KB, chỉ còn trống 2 KB"), std::string::npos);
  EXPECT_NE(ShortSpaceText(need, {"D:\\", 1600}, {"C:\\", 2999})->find("Ổ đĩa C:\\ "), std::string::npos);
  // One drive (whatever the letter's case) holds the files and what they install.
  EXPECT_TRUE(ShortSpaceText(need, {"d:\\", 4599}, {"D:\\", 4599}));
  EXPECT_FALSE(ShortSpaceText(need, {"d:\\", 4600}, {"D:\\", 4600}));

  SpaceNeed huge;
  AddToSpaceNeed(huge, UINT64_MAX, 0);
  AddToSpaceNeed(huge, UINT64_MAX, 0);
  EXPECT_EQ(huge.download, UINT64_MAX);  // saturates instead of wrapping to "fits"
}

TEST(SpaceRules, ByteCountsReadAsThePlayerExpects) {
  EXPECT_EQ(ByteCountText(0), "0 KB");
  EXPECT_EQ(ByteCountText(1), "1 KB");
  EXPECT_EQ(ByteCountText(300ull << 20), "300.0 MB");
  EXPECT_EQ(ByteCountText(3ull << 29), "1.50 GB");
}

}  // namespace
}  // namespace sl
