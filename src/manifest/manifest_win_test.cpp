#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "manifest/manifest_win.h"
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

namespace {

namespace fs = std::filesystem;

// A fresh folder under %TEMP%, removed with its contents afterwards.
class FolderSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(root_, ignored_);  // left by an earlier run that died with this process id
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_, ignored_); }

  void Write(const fs::path& relative, size_t bytes) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << std::string(bytes, 'x');
  }

  // root\sub\up linked back to root. Windows makes the link itself (given the right to); Wine cannot,
  // but shows the host's symbolic links as folder reparse points, so ctest builds such a tree on the
  // host and names it in SL_TEST_LINK_TREE. Empty when neither is possible.
  std::wstring LinkedTree() {
    const std::wstring link = (root_ / "sub" / "up").wstring();
    fs::create_directories(root_ / "sub");
    if (::CreateSymbolicLinkW(link.c_str(), root_.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
        ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {  // Wine reports success, makes none
      return root_.wstring();
    }
    const char* hostTree = std::getenv("SL_TEST_LINK_TREE");
    if (hostTree == nullptr || hostTree[0] != '/') return {};
    std::wstring tree = L"Z:" + Widen(hostTree);  // Wine's Z: is the host's root
    for (wchar_t& c : tree) c = c == L'/' ? L'\\' : c;
    return tree;
  }

  const fs::path root_ =
      fs::temp_directory_path() / ("sl_manifest_test_" + std::to_string(::GetCurrentProcessId()));
  const std::string root = Narrow(root_.wstring());
  std::error_code ignored_;
};

TEST_F(FolderSizeTest, AddsFilesOfNestedFoldersToStart) {
  Write("a.bin", 10);
  Write(L"sub\\b\u1EC7.bin", 1000);
  Write("sub\\deeper\\c.bin", 5);
  fs::create_directories(root_ / "empty");

  EXPECT_EQ(GetFolderSize(root), 1015u);
  EXPECT_EQ(GetFolderSize(root + "\\", 7), 1022u);
  EXPECT_EQ(GetFolderSize(root + "\\missing", 3), 3u);
  EXPECT_EQ(GetFolderSize("", 4), 4u);
}

TEST_F(FolderSizeTest, CountsFilesBeyondFourGigabytes) {
  Write("sub\\small.bin", 1);
  // Only the end of file is set: the file stays sparse on the host and costs no disk space.
  UniqueFile file(::CreateFileW((root_ / "large.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  ASSERT_TRUE(::SetFilePointerEx(file.get(), LARGE_INTEGER{.QuadPart = 5ll << 30}, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(file.get()));
  file.reset();
  EXPECT_EQ(GetFolderSize(root), (5ull << 30) + 1);
}

TEST_F(FolderSizeTest, DoesNotEnterFolderLinks) {
  const std::wstring tree = LinkedTree();
  if (tree.empty()) GTEST_SKIP() << "no way to make a folder link here";
  const DWORD attributes = ::GetFileAttributesW((tree + L"\\sub\\up").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_NE(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  std::ofstream(fs::path(tree) / "a.bin", std::ios::binary) << std::string(10, 'x');

  EXPECT_EQ(GetFolderSize(Narrow(tree)), 10u);  // entering the link would count a.bin again and again
}

}  // namespace

}  // namespace sl
