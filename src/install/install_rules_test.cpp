#include <gtest/gtest.h>

#include "install/install_rules.h"

namespace sl {

namespace {

TEST(DefaultInstallDir, JoinsProgramFilesOnce) {
  EXPECT_EQ(DefaultInstallDir("C:\\Program Files"), "C:\\Program Files\\Oskelon\\Bao Lua");
  EXPECT_EQ(DefaultInstallDir("D:\\"), "D:\\Oskelon\\Bao Lua");
  EXPECT_EQ(DefaultInstallDir(""), "");
}

}  // namespace

namespace {

TEST(FindTrackingId, FirstGuidOfTheFileNameOnly) {
  EXPECT_EQ(FindTrackingId("C:\\dl\\Stormline_VN_0a1B2c3D-4e5F-6789-abcd-EF0123456789.exe"),
            "0a1B2c3D-4e5F-6789-abcd-EF0123456789");
  EXPECT_EQ(FindTrackingId("x_11111111-2222-3333-4444-555555555555_aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee.exe"),
            "11111111-2222-3333-4444-555555555555");
  EXPECT_EQ(FindTrackingId("C:\\11111111-2222-3333-4444-555555555555\\Stormline_VN.exe"), "");
  EXPECT_EQ(FindTrackingId("/tmp/{11111111-2222-3333-4444-55555555555}.exe"), "");  // one digit short
  EXPECT_EQ(FindTrackingId(""), "");
}

}  // namespace

namespace {

TEST(SignatureRules, OnceSignedOnlyTheSamePublishersValidSignatureIsTaken) {
  EXPECT_EQ(DecideTrust(SignatureState::Unsigned, SignatureState::Unsigned, false),
            TrustVerdict::AcceptUnchecked);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Valid, true), TrustVerdict::Accept);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Valid, false), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Invalid, true), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Unsigned, false), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Invalid, SignatureState::Valid, true), TrustVerdict::Accept);
  // Offline, the revocation status cannot be learned: that alone does not refuse a chain.
  EXPECT_TRUE(ChainErrorsAcceptable(0));
  EXPECT_TRUE(ChainErrorsAcceptable(kTrustRevocationStatusUnknown | kTrustIsOfflineRevocation));
  EXPECT_FALSE(ChainErrorsAcceptable(0x00000004));                                  // revoked
  EXPECT_FALSE(ChainErrorsAcceptable(0x00000020 | kTrustRevocationStatusUnknown));  // untrusted root
  EXPECT_FALSE(ChainErrorsAcceptable(0x00010000));                                  // partial chain
}

}  // namespace

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
