#include "store/file_system_win.h"

#include <gtest/gtest.h>

#include "tests/support/test_folder_win.h"

namespace sl {
namespace {

TEST(FileSystem, ReadInstalledVersionTakesUpToFourLittleEndianBytes) {
  TestFolder folder;
  const std::string game = folder.Child("game");
  EXPECT_EQ(ReadInstalledVersion(game), 0);
  TestFolder::WriteVersionFile(game, std::string("\x34\x12", 2));
  EXPECT_EQ(ReadInstalledVersion(game + "\\"), 4660);
  TestFolder::WriteVersionFile(game, std::string("\x05\0\0\0\xFF", 5));
  EXPECT_EQ(ReadInstalledVersion(game), 5);
}

TEST(FileSystem, FileExistsAndFreeBytesRejectWhatTheyDoNotHandle) {
  TestFolder folder;
  TestFolder::WriteVersionFile(folder.Child("a"), "1");
  EXPECT_TRUE(FileExists(folder.Child("a\\version.dat")));
  EXPECT_FALSE(FileExists(folder.Child("a")));

  EXPECT_GT(GetDriveFreeBytes(folder.Child("a")), 0u);  // %TEMP% is on C:, a fixed drive
  EXPECT_EQ(GetDriveFreeBytes(""), 0u);
  EXPECT_EQ(GetDriveFreeBytes("\\\\server\\share"), 0u);
}

TEST(FileSystem, PathsMustFitMaxPathInUtf16Units) {
  const std::string fits = "C:\\" + std::string(MAX_PATH - 4, 'a');
  EXPECT_TRUE(WidePath(fits).has_value());
  EXPECT_FALSE(WidePath(fits + "a").has_value());
  EXPECT_FALSE(CreateFolderTree(fits + "a"));
  std::string vietnamese = "C:\\";  // 200 letters, 600 bytes of UTF-8
  for (int i = 0; i < 200; ++i) vietnamese += "\xE1\xBB\x87";
  EXPECT_TRUE(WidePath(vietnamese).has_value());
}

}  // namespace
}  // namespace sl
