#include "selfupdate/update_rules.h"

#include <gtest/gtest.h>

#include "diag/log_capture.h"

namespace sl {
namespace {

TEST(LauncherManifest, ReadsTheLeadingNumberAsTheCLibraryDoes) {
  struct Case {
    const char* text;
    int32_t version;
  };
  const Case cases[] = {
      {"1026", 1026},
      {" \t\r\n1026abc", 1026},  // blanks before, letters after
      {"\xEF\xBB\xBF"
       "1026\r\n",
       1026},  // a byte-order mark is tolerated
      {"+1027", 1027},
      {"12345", 12345},
      {"2147483647", 2147483647},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"99999999999", 0},  // eleven nines: outside 32 bits
      {"2147483648", 0},
      {"00000000000000000000001026", 1026},  // long, but not large
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLauncherVersion(c.text), c.version) << c.text;
  EXPECT_TRUE(TakeCapturedLog().empty());
}

TEST(LauncherManifest, MayNameThePackagesLengthAndMd5) {
  const LauncherManifest full =
      ParseLauncherManifest("1026\r\nPackageSize=1048576\r\nPackageMD5=0123456789ABCDEF0123456789abcdef\r\n");
  EXPECT_EQ(full.version, 1026);
  EXPECT_EQ(full.packageSize, 1048576u);
  EXPECT_EQ(full.packageMd5, "0123456789abcdef0123456789abcdef");
  const LauncherManifest bare = ParseLauncherManifest("1026");
  EXPECT_EQ(bare.version, 1026);
  EXPECT_FALSE(bare.packageSize);
  EXPECT_EQ(bare.packageMd5, "");
  const LauncherManifest bad = ParseLauncherManifest("1026\nPackageSize=-1\nPackageMD5=xyz\n");
  EXPECT_FALSE(bad.packageSize);
  EXPECT_EQ(bad.packageMd5, "");
}

TEST(LauncherManifest, NumberBelowOneIsNoVersionAndIsLogged) {
  static_cast<void>(TakeCapturedLog());
  EXPECT_EQ(ParseLauncherVersion("-5"), 0);
  EXPECT_EQ(ParseLauncherVersion("-2147483648"), 0);
  EXPECT_EQ(ParseLauncherVersion("0"), 0);
  const std::vector<CapturedLogEntry> log = TakeCapturedLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].source, "CheckSelfUpdate");
  EXPECT_EQ(log[0].errorCode, 0u);
  EXPECT_EQ(log[0].message, "version.ini: -5 không phải là số phiên bản, bỏ qua cập nhật");
  // Whatever the server says, nothing below 1 can pass the comparison with the own version.
  EXPECT_EQ(DecideCheck(ParseLauncherVersion("-5"), 1025, Role::Main), CheckOutcome::Continue);
}

TEST(SelfUpdateCheck, RoleComesFromTheRunningFilesOwnName) {
  EXPECT_EQ(RoleOf("Stormline_VN.exe"), Role::Main);
  EXPECT_EQ(RoleOf("STORMLINE_VN.EXE"), Role::Main);
  EXPECT_EQ(RoleOf("Stormline_VN_8812.exe"), Role::Main);  // a name carrying a user id
  EXPECT_EQ(RoleOf("Stormline_VN.bin"), Role::Copy);
  EXPECT_EQ(RoleOf("Stormline_VN.Bin"), Role::Copy);
  EXPECT_EQ(RoleOf("Stormline_VN.zip"), Role::Other);
  EXPECT_EQ(RoleOf("Stormline_VN.exe.bak"), Role::Other);
  EXPECT_EQ(RoleOf("exe"), Role::Other);
  EXPECT_EQ(RoleOf(""), Role::Other);
}

TEST(SelfUpdateCheck, OutcomeByServerVersionAndRole) {
  for (Role role : {Role::Main, Role::Copy, Role::Other}) {
    EXPECT_EQ(DecideCheck(1025, 1025, role), CheckOutcome::Continue);
    EXPECT_EQ(DecideCheck(1000, 1025, role), CheckOutcome::Continue);
    EXPECT_EQ(DecideCheck(0, 1025, role), CheckOutcome::Continue);
  }
  EXPECT_EQ(DecideCheck(1026, 1025, Role::Main), CheckOutcome::AskPlayer);
  EXPECT_EQ(DecideCheck(1026, 1025, Role::Copy), CheckOutcome::ApplyOrDownload);
  EXPECT_EQ(DecideCheck(1026, 1025, Role::Other), CheckOutcome::Download);
  EXPECT_EQ(DecideCheck(1026, 1026, Role::Main), CheckOutcome::Continue);  // the new build itself
}

TEST(SelfUpdateCheck, TextsNamesAndAddresses) {
  EXPECT_EQ(UpdatePrompt(1026),
            "Bạn đang ở phiên bản cũ. Bạn có muốn cập nhật phiên bản 1.0.2.6 mới nhất không?");
  EXPECT_NE(UpdatePrompt(12345).find(" 12.3.4.5 "), std::string::npos);
  EXPECT_EQ(LauncherManifestUrl("http://dl.example/sl", 1025),
            "http://dl.example/sl/launcher/version.ini?t=1025");
  EXPECT_EQ(PackageUrl("http://dl.example/sl", 1026), "http://dl.example/sl/launcher/Stormline_VN_1026.zip");
  EXPECT_EQ(PartialPackageName("C:\\G\\Stormline_VN_1026.zip"), "C:\\G\\Stormline_VN_1026.zip.part");
  EXPECT_EQ(ApplyErrorText(5), "Bạn vui lòng chạy chương trình với quyền Admin để thực hiện update");
  EXPECT_EQ(ApplyErrorText(32), "Bạn vui lòng tắt Stormline VN trước khi thực hiện quá trình update");
  EXPECT_EQ(ApplyErrorText(2), "Lỗi không xác định, vui lòng thử lại sau...");
  EXPECT_EQ(ApplyErrorText(0), "Lỗi không xác định, vui lòng thử lại sau...");
}

TEST(SelfUpdateCheck, HandOverPartnersAreTheMainAndCopyFilesBesideIt) {
  const char* own = "C:\\Games\\Bão Lửa\\Stormline_VN.bin";
  EXPECT_TRUE(IsHandOverPartner("C:\\Games\\Bão Lửa\\Stormline_VN.exe", own));
  EXPECT_TRUE(IsHandOverPartner("c:\\GAMES\\Bão Lửa\\stormline_vn.EXE", own));
  EXPECT_TRUE(
      IsHandOverPartner("C:\\Games\\Bão Lửa\\Stormline_VN.bin", "C:\\Games\\Bão Lửa\\Stormline_VN.exe"));
  EXPECT_FALSE(IsHandOverPartner("C:\\Other\\Stormline_VN.exe", own));
  EXPECT_FALSE(IsHandOverPartner("C:\\Games\\Bão Lửa\\Stormline_VN_1026.zip", own));
  EXPECT_FALSE(IsHandOverPartner("C:\\Games\\Bão Lửa\\Stormline_VN_7.exe", own));
  EXPECT_FALSE(IsHandOverPartner("C:\\Windows\\explorer.exe", own));
  EXPECT_FALSE(IsHandOverPartner("", own));
  EXPECT_FALSE(IsHandOverPartner("Stormline_VN.exe", "Stormline_VN.bin"));  // no folder to compare
}

}  // namespace
}  // namespace sl
