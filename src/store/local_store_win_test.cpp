#include <gtest/gtest.h>

#include "base/path.h"
#include "base/text_win.h"
#include "store/local_paths.h"
#include "store/local_store_win.h"
#include "tests/support/test_folder_win.h"

namespace sl {

namespace {

std::string Read(const wchar_t* keyPath, const wchar_t* name) {
  UniqueRegKey key;
  return Reg_OpenKey(key, keyPath, /*create=*/false) == ERROR_SUCCESS ? Narrow(RegReadText(key.get(), name))
                                                                      : "";
}

void Write(const wchar_t* keyPath, const wchar_t* name, const std::string& text) {
  UniqueRegKey key;
  ASSERT_EQ(Reg_OpenKey(key, keyPath, /*create=*/true), ERROR_SUCCESS);
  if (text.empty()) {
    ::RegDeleteValueW(key.get(), name);  // empty and absent mean the same to the store
  } else {
    ASSERT_EQ(RegWriteText(key.get(), name, Widen(text)), ERROR_SUCCESS);
  }
}

// The launcher key is shared with other tests: only our two values change, and are put back.
// The uninstall key exists only for these tests.
class LocalStoreTest : public ::testing::Test {
 protected:
  ~LocalStoreTest() override {
    Write(kLauncherKeyPath, L"SLLocation", savedLocation_);
    Write(kLauncherKeyPath, L"TempDownloadPath", savedDownloads_);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, KEY_WOW64_64KEY, 0);
    Paths() = savedPaths_;
  }

  TestFolder folder_;
  const std::string savedLocation_ = Read(kLauncherKeyPath, L"SLLocation");
  const std::string savedDownloads_ = Read(kLauncherKeyPath, L"TempDownloadPath");
  const LocalPaths savedPaths_ = Paths();
};

TEST_F(LocalStoreTest, InstallerFolderWithVersionReplacesEmptyRecordedFolder) {
  const std::string recorded = folder_.Child("recorded");  // no version.dat, not even created
  const std::string game = folder_.Child("game");
  TestFolder::WriteVersionFile(game, std::string("\x05\0\0\0", 4));
  Write(kLauncherKeyPath, L"SLLocation", recorded);
  Write(kUninstallKeyPath, L"InstallLocation", "");
  Write(kUninstallKeyPath, L"Inno Setup: App Path", game + "\\");

  InstallState state;
  DetectInstallLocation(state);
  EXPECT_EQ(state.installDir, game);
  EXPECT_EQ(state.installedVersion, 5);
  EXPECT_EQ(Read(kLauncherKeyPath, L"SLLocation"), game + "\\");
  EXPECT_TRUE(TestFolder::IsFolder(recorded));
}

TEST_F(LocalStoreTest, DownloadFolderSettingSurvivesRestart) {
  const std::string chosen = folder_.Child("downloads\\slvn");
  SetDownloadDir(chosen);
  EXPECT_EQ(Read(kLauncherKeyPath, L"TempDownloadPath"), chosen);

  Paths() = LocalPaths();
  InitLocalStore();
  EXPECT_EQ(Paths().downloadDirSetting, chosen);
  EXPECT_EQ(Paths().exeName, "store_win_test.exe");
  EXPECT_EQ(Paths().exeBaseName, "store_win_test");
  EXPECT_TRUE(FileExists(JoinPath(Paths().exeDir, Paths().exeName)));
  EXPECT_TRUE(TestFolder::IsFolder(Paths().logRoot));
  EXPECT_FALSE(TestFolder::IsFolder(chosen));  // the setting alone creates nothing
  EXPECT_EQ(EnsureDownloadDir(), chosen);
  EXPECT_TRUE(TestFolder::IsFolder(chosen));

  Write(kLauncherKeyPath, L"TempDownloadPath", "");
  InitLocalStore();
  EXPECT_NE(Paths().downloadDirSetting, chosen);
  EXPECT_EQ(Paths().downloadDirSetting.substr(Paths().downloadDirSetting.size() - 5), "\\slvn");
}

// DownloadLimitKBps, only these tests' own in the test prefix: removed afterwards.
class DownloadLimitStoreTest : public ::testing::Test {
 protected:
  ~DownloadLimitStoreTest() override {
    if (UniqueRegKey key; Reg_OpenKey(key, kLauncherKeyPath, /*create=*/false) == ERROR_SUCCESS)
      ::RegDeleteValueW(key.get(), kName);
  }
  static std::optional<DWORD> Stored(DWORD type = REG_NONE, const void* data = nullptr, DWORD bytes = 0) {
    UniqueRegKey key;
    EXPECT_EQ(Reg_OpenKey(key, kLauncherKeyPath, /*create=*/true), ERROR_SUCCESS);
    if (data != nullptr) ::RegSetValueExW(key.get(), kName, 0, type, static_cast<const BYTE*>(data), bytes);
    return RegReadDword(key.get(), kName);
  }
  static constexpr wchar_t kName[] = L"DownloadLimitKBps";
};

TEST_F(DownloadLimitStoreTest, ADwordOfTheLauncherKeyAbsurdOrForeignValuesBeingNone) {
  EXPECT_TRUE(StoreDownloadLimit(512));
  EXPECT_EQ(Stored(), 512u);
  EXPECT_EQ(LoadDownloadLimit(), 512u);
  const DWORD absurd = 10'000'001;
  Stored(REG_DWORD, &absurd, sizeof(absurd));
  EXPECT_EQ(LoadDownloadLimit(), 0u);
  Stored(REG_SZ, L"512", sizeof(L"512"));
  EXPECT_EQ(LoadDownloadLimit(), 0u);
}

TEST_F(DownloadLimitStoreTest, CommandLineValueIsUsedAndStoredElseTheStoredOne) {
  EXPECT_TRUE(StoreDownloadLimit(300));
  EXPECT_EQ(DownloadLimitForThisRun(std::nullopt), 300u);
  EXPECT_EQ(DownloadLimitForThisRun(2048), 2048u);
  EXPECT_EQ(DownloadLimitForThisRun(std::nullopt), 2048u) << "the next run keeps it";
  EXPECT_EQ(DownloadLimitForThisRun(0), 0u) << "--limit-rate=0 removes the cap for good";
  EXPECT_EQ(Stored(), 0u);
}

}  // namespace

namespace {

constexpr wchar_t kScratchKeyPath[] = L"SOFTWARE\\Oskelon\\StoreRegistryTest";

TEST(Registry, OpensLauncherKeyAndCreatesOnlyWhenAsked) {
  UniqueRegKey key;
  EXPECT_EQ(Reg_OpenKey(key, kLauncherKeyPath, /*create=*/true), ERROR_SUCCESS);
  EXPECT_TRUE(key.valid());
  EXPECT_EQ(Reg_OpenKey(key, L"SOFTWARE\\Oskelon\\NoSuchKey", /*create=*/false), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.valid());
}

// Values no well-behaved writer stores, in a key of our own.
TEST(Registry, MalformedTextValuesAreCutOrIgnored) {
  UniqueRegKey key;
  ASSERT_EQ(Reg_OpenKey(key, kScratchKeyPath, /*create=*/true), ERROR_SUCCESS);
  const auto set = [&](const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    return RegReadText(key.get(), name);
  };
  const DWORD number = 0x00430043;  // "CC" if misread as text
  EXPECT_EQ(set(L"Number", REG_DWORD, &number, sizeof(number)), L"");
  EXPECT_EQ(set(L"Unterminated", REG_SZ, L"abcXYZ", 6), L"abc");
  EXPECT_EQ(set(L"OddSize", REG_SZ, L"abcXYZ", 7), L"abc");
  EXPECT_EQ(set(L"Embedded", REG_SZ, L"ab\0cd", 12), L"ab");
  const std::wstring tooLarge(600, L'g');
  EXPECT_EQ(set(L"TooLarge", REG_SZ, tooLarge.c_str(), 601 * sizeof(wchar_t)), L"");
  ::SetEnvironmentVariableW(L"SL_STORE_TEST_ROOT", L"D:\\Games");
  const wchar_t expandable[] = L"%SL_STORE_TEST_ROOT%\\SL";
  EXPECT_EQ(set(L"Expand", REG_EXPAND_SZ, expandable, sizeof(expandable)), L"D:\\Games\\SL");

  EXPECT_EQ(RegWriteText(key.get(), L"Long", std::wstring(512, L'x')), ERROR_INVALID_PARAMETER);
  key.reset();
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kScratchKeyPath, KEY_WOW64_64KEY, 0);
}

}  // namespace

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
