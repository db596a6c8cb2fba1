#include "ui/folder_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(FolderRules, FreeSpaceInGibibytesAgainstTheTwentyGigabyteNeed) {
  EXPECT_EQ(DownloadCaption(BytesToGiB(127'150'000'000)), "Vị trí tải tệp tin (Cần 20GB/118.42GB Trống)");
  struct Case {
    uint64_t freeBytes;
    const char* folder;
    PickVerdict verdict;
  };
  const Case cases[] = {
      {20 * kGiB - kGiB / 100, "D:\\Games", PickVerdict::kShort},  // 19.99
      {20 * kGiB, "D:\\Games", PickVerdict::kAccept},
      {0, "\\\\server\\share", PickVerdict::kShort},  // not a fixed drive
      {0, "E:\\", PickVerdict::kShort},
      {25 * kGiB, "E:\\", PickVerdict::kDriveRoot},
      {25 * kGiB, "E:\\a", PickVerdict::kAccept},
      {25 * kGiB, "Ổ:\\", PickVerdict::kDriveRoot},  // three characters, five bytes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgePickedFolder(c.folder, BytesToGiB(c.freeBytes)), c.verdict)
        << c.folder << " " << c.freeBytes;
  }
}

TEST(FolderRules, DriveRootIsTheFirstThreeUtf16Characters) {
  struct Case {
    const char* path;
    const char* root;
  };
  const Case cases[] = {
      {"D:\\Oskelon\\Bao Lua", "D:\\"},
      {"C:", "C:"},
      {"", ""},
      {"\\\\server\\share", "\\\\s"},
      {"ĐĩaX", "Đĩa"},                // two-byte characters stay whole
      {"ab\xF0\x9F\x98\x80z", "ab"},  // a surrogate pair would not fit: left out, not halved
      {"a\xF0\x9F\x98\x80z", "a\xF0\x9F\x98\x80"},
      {"\xE1\xBB", "\xE1\xBB"},  // truncated sequence: one unit per byte
  };
  for (const Case& c : cases) EXPECT_EQ(DriveRoot(c.path), c.root) << c.path;
}

TEST(FolderRules, SpaceWarningOnlyForAFullInstall) {
  struct Case {
    InstallMode mode;
    const char* installRoot;
    const char* downloadRoot;
    double installFree, downloadFree;
    int32_t warning;
  };
  const Case cases[] = {
      {MODE_FULL, "C:\\", "C:\\", 35, 35, 3},  // one drive needs 40
      {MODE_FULL, "C:\\", "C:\\", 40, 40, 0},
      {MODE_FULL, "D:\\", "C:\\", 25, 10, 2},
      {MODE_FULL, "D:\\", "C:\\", 15, 10, 3},
      {MODE_FULL, "D:\\", "C:\\", 15, 30, 1},
      {MODE_FULL, "D:\\", "C:\\", 20, 20, 0},
      {MODE_FULL, "c:\\", "C:\\", 30, 30, 3},  // one drive, whatever the letter's case
      {MODE_PATCH, "C:\\", "C:\\", 1, 1, 0},
      {MODE_CURRENT, "C:\\", "D:\\", 1, 1, 0},
      {MODE_NONE, "", "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeSpaceWarning(c.mode, c.installRoot, c.downloadRoot, c.installFree, c.downloadFree),
              c.warning)
        << c.mode << " " << c.installRoot << c.installFree << " " << c.downloadRoot << c.downloadFree;
  }
}

TEST(FolderRules, CaptionsByInstallMode) {
  const double free = BytesToGiB(127'150'000'000);
  const InstallCaptions full = InstallCaptionsFor(MODE_FULL, free, 0, 120);
  EXPECT_EQ(full.location, "Vị trí cài đặt Bão lửa (Cần 20GB/118.42GB Trống)");
  EXPECT_EQ(full.version, "Cài đặt phiên bản mới: 120");
  const InstallCaptions patch = InstallCaptionsFor(MODE_PATCH, 1.0, 118, 120);
  EXPECT_EQ(patch.location, "Vị trí cài đặt Bão lửa (Cần 20GB/1.00GB Trống)");
  EXPECT_EQ(patch.version, "Nâng cấp từ 118 lên 120");
  for (InstallMode mode : {MODE_NONE, MODE_CURRENT}) {
    const InstallCaptions idle = InstallCaptionsFor(mode, free, 120, 120);
    EXPECT_EQ(idle.location, "Vị trí cài đặt Bão lửa");
    EXPECT_EQ(idle.version, "Phiên bản 120");
  }
  EXPECT_EQ(FolderFieldText(""), "  ");
  EXPECT_EQ(FolderFieldText("C:\\100%s\\x"), "  C:\\100%s\\x");  // a path is never a format
}

TEST(FolderRules, BrowseTextsNameTheDriveAndItsDefaultFolder) {
  EXPECT_EQ(
      ShortSpaceMessage(FolderKind::kInstall, "E:\\"),
      "Ổ đĩa E:\\ không đủ dung lượng cần thiết (20GB) để cài đặt. Vui lòng chọn thư mục cài đặt khác!");
  EXPECT_EQ(ShortSpaceMessage(FolderKind::kDownload, "E:\\"),
            "Ổ đĩa E:\\ không đủ dung lượng cần thiết (20GB). Vui lòng chọn thư mục khác!");
  EXPECT_EQ(DriveRootQuestion(FolderKind::kInstall, "E:\\"),
            "Bạn chọn ổ đĩa E:\\, Bạn có muốn cài vào thư mục E:\\Oskelon\\Bao Lua");
  EXPECT_EQ(DriveRootQuestion(FolderKind::kDownload, "%s\\"),
            "Bạn chọn ổ đĩa %s\\, Bạn có muốn lưu tệp tin tải xuống vào thư mục %s\\Downloads\\slvn");
  EXPECT_EQ(DefaultSubfolder(FolderKind::kInstall, "E:\\"), "E:\\Oskelon\\Bao Lua");
  EXPECT_EQ(DefaultSubfolder(FolderKind::kDownload, "E:\\"), "E:\\Downloads\\slvn");
}

}  // namespace
}  // namespace sl
