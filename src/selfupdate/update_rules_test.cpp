#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "diag/log.h"
#include "selfupdate/update_rules.h"

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

namespace {

struct Section {
  uint32_t rawOffset;
  uint32_t rawSize;
};

struct Image {
  uint16_t machine = 0x8664;
  uint16_t characteristics = 0x0022;  // executable, large-address aware
  uint16_t magic = 0x20B;
  uint32_t headersSize = 0x400;
  std::vector<Section> sections = {{0x400, 0x2000}, {0x2400, 0x600}, {0x2A00, 0}};  // ends at 0x2A00
  uint32_t peOffset = 0x80;
};

void Put(std::string& bytes, size_t offset, uint32_t value, int size) {
  if (bytes.size() < offset + size) bytes.resize(offset + size, '\0');
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The headers of an image as a linker lays them out: DOS stub, PE signature, file header,
// PE32+ optional header (240 bytes), section table.
std::string Head(const Image& image) {
  std::string bytes = "MZ";
  Put(bytes, 0x3C, image.peOffset, 4);
  const size_t coff = image.peOffset + 4;
  Put(bytes, image.peOffset, 0x00004550, 4);  // "PE\0\0"
  Put(bytes, coff, image.machine, 2);
  Put(bytes, coff + 2, static_cast<uint32_t>(image.sections.size()), 2);
  Put(bytes, coff + 16, 240, 2);
  Put(bytes, coff + 18, image.characteristics, 2);
  const size_t optional = coff + 20;
  Put(bytes, optional, image.magic, 2);
  Put(bytes, optional + 60, image.headersSize, 4);
  for (size_t i = 0; i < image.sections.size(); ++i) {
    const size_t row = optional + 240 + i * 40;
    Put(bytes, row + 16, image.sections[i].rawSize, 4);
    Put(bytes, row + 20, image.sections[i].rawOffset, 4);
  }
  bytes.resize(kPackageHeadBytes, '\0');
  return bytes;
}

constexpr uint64_t kImageEnd = 0x2A00;

TEST(PackageRules, WholeExecutableIsReady) {
  const std::string head = Head(Image{});
  EXPECT_EQ(JudgePackage(head, kImageEnd, std::nullopt), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackage(head, kImageEnd + 100, std::nullopt),
            PackageVerdict::Ready);  // data after the sections
  EXPECT_EQ(JudgePackage(head, kImageEnd, kImageEnd), PackageVerdict::Ready);
  Image x86;
  x86.machine = 0x14C;
  x86.magic = 0x10B;
  EXPECT_EQ(JudgePackage(Head(x86), kImageEnd, kImageEnd), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackage(Head(x86), kImageEnd - 1, std::nullopt), PackageVerdict::Incomplete);
}

TEST(PackageRules, ShortFilesAreIncomplete) {
  const std::string head = Head(Image{});
  // Shorter than its own last section: a truncated program, even with no length to compare.
  EXPECT_EQ(JudgePackage(head, kImageEnd - 1, std::nullopt), PackageVerdict::Incomplete);
  // Shorter than announced: the transfer was cut; resumable whatever has arrived so far.
  EXPECT_EQ(JudgePackage(head, kImageEnd, kImageEnd + 512), PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackage(head.substr(0, 100), 100, kImageEnd), PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackage("", 0, kImageEnd), PackageVerdict::Incomplete);
  Image headersOnly;
  headersOnly.sections = {{0x400, 0}};
  headersOnly.headersSize = 0x1000;
  EXPECT_EQ(JudgePackage(Head(headersOnly), 0x800, std::nullopt), PackageVerdict::Incomplete);
}

TEST(PackageRules, AnythingButAnX86OrX64ProgramIsRefused) {
  const std::pair<const char*, void (*)(Image&)> spoilers[] = {
      {"x86 with the x64 optional header", [](Image& i) { i.machine = 0x14C; }},
      {"x64 with the x86 optional header", [](Image& i) { i.magic = 0x10B; }},
      {"arm64", [](Image& i) { i.machine = 0xAA64; }},
      {"a DLL", [](Image& i) { i.characteristics = 0x2022; }},
      {"not marked executable: left from a failed link", [](Image& i) { i.characteristics = 0x0020; }},
      {"no sections", [](Image& i) { i.sections.clear(); }},
      {"headers past what was read", [](Image& i) { i.peOffset = kPackageHeadBytes - 8; }},
  };
  for (const auto& [what, spoil] : spoilers) {
    Image image;
    spoil(image);
    EXPECT_EQ(JudgePackage(Head(image), kImageEnd, std::nullopt), PackageVerdict::NotExecutable) << what;
  }
  EXPECT_EQ(JudgePackage(Head(Image{}).replace(0x3C, 4, "\xF0\xFF\xFF\xFF", 4), kImageEnd, std::nullopt),
            PackageVerdict::NotExecutable);

  const std::string page = "<html><body>404 Not Found</body></html>";
  EXPECT_EQ(JudgePackage(page, page.size(), page.size()), PackageVerdict::NotExecutable);
  EXPECT_EQ(JudgePackage("", 0, std::nullopt), PackageVerdict::NotExecutable);
  EXPECT_EQ(JudgePackage("", 0, 0), PackageVerdict::NotExecutable);
}

}  // namespace

namespace {

TEST(SelfUpdateWindow, LabelAndEndOfEachDownloadStatus) {
  struct Row {
    int32_t code;
    const char* prefix;
    bool ends;
  };
  const Row rows[] = {
      {1020, "Bắt đầu tải: ", false},
      {1011, "Đang tải: ", false},
      {1013, "Đã tải xong: ", true},
      {1018, "Gặp lỗi:: ", true},
  };
  for (const Row& row : rows) {
    const auto reaction = ReactionTo(row.code);
    ASSERT_TRUE(reaction.has_value()) << row.code;
    EXPECT_EQ(reaction->labelPrefix, row.prefix);
    EXPECT_EQ(reaction->ends, row.ends) << row.code;
  }
  // Codes a transfer never sends to its window change nothing, and in particular do not end it.
  for (int32_t code : {0, 1010, 1019, 1023}) EXPECT_FALSE(ReactionTo(code).has_value()) << code;
}

TEST(SelfUpdateWindow, PercentOnlyOnceTheTotalIsKnown) {
  EXPECT_DOUBLE_EQ(*DownloadPercent(524288, 1048576), 50.0);
  EXPECT_DOUBLE_EQ(*DownloadPercent(3000000000LL, 3000000000LL), 100.0);  // past 32 bits
  EXPECT_FALSE(DownloadPercent(10, 0).has_value());
}

TEST(SelfUpdateWindow, ViewNamesTheProductAndKeepsItsPartsInsideTheWindow) {
  const SelfUpdateView view = SelfUpdateViewFor("Bão Lửa");
  EXPECT_EQ(view.caption, "Bão Lửa đang cập nhật...");
  const auto inside = [](const SkinRect& inner, int width, int height) {
    return inner.left >= 0 && inner.top >= 0 && inner.right <= width && inner.bottom <= height;
  };
  EXPECT_TRUE(inside(view.captionBand, view.width, view.height));
  EXPECT_TRUE(inside(view.panel, view.width, view.height));
  EXPECT_LE(view.captionBand.bottom, view.panel.top);  // the panel never covers the caption
  const int panelWidth = view.panel.right - view.panel.left;
  const int panelHeight = view.panel.bottom - view.panel.top;
  EXPECT_TRUE(inside(view.label, panelWidth, panelHeight));
  EXPECT_TRUE(inside(view.percent, panelWidth, panelHeight));
  EXPECT_LE(view.label.right, view.percent.left);
}

}  // namespace

}  // namespace sl
