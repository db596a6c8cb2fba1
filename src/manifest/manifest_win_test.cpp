#include "manifest/manifest_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "base/text_win.h"
#include "store/local_paths.h"

namespace sl {
namespace {

TEST(GetItemLocalPath, CreatesTheDownloadFolderAndNamesNamelessItems) {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  const std::string setting = Narrow(std::wstring(temp, length)) + "sl-item-path\\Tải về";
  Paths().downloadDirSetting = setting;
  Paths().downloadDir.clear();

  FileItem named;
  SetItemUrl(named, "http://h/r/b.pak");
  EXPECT_EQ(GetItemLocalPath(named), setting + "\\b.pak");
  EXPECT_EQ(Paths().downloadDir, setting);
  const DWORD attributes = ::GetFileAttributesW(Widen(setting).c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  FileItem nameless;
  SetItemUrl(nameless, "no-slash");
  const std::string path = GetItemLocalPath(nameless);
  EXPECT_TRUE(std::regex_match(nameless.fileName, std::regex("\\d{17}\\.tmp"))) << nameless.fileName;
  EXPECT_EQ(path, setting + "\\" + nameless.fileName);
  EXPECT_EQ(GetItemLocalPath(nameless), path) << "the name is made once";

  ::RemoveDirectoryW(Widen(setting).c_str());
}

}  // namespace
}  // namespace sl
