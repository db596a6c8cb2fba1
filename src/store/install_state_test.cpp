#include <gtest/gtest.h>

#include <map>

#include "store/install_state.h"
#include "store/local_paths.h"

namespace sl {

namespace {

TEST(InstallMode, FollowsTheRuleOrder) {
  EXPECT_EQ(GetInstallMode(0, 0, 0), MODE_NONE);
  EXPECT_EQ(GetInstallMode(0, 120, 100), MODE_NONE);  // unknown latest wins over everything
  EXPECT_EQ(GetInstallMode(120, 120, 100), MODE_CURRENT);
  EXPECT_EQ(GetInstallMode(120, 0, 100), MODE_FULL);
  EXPECT_EQ(GetInstallMode(120, 99, 100), MODE_FULL);
  EXPECT_EQ(GetInstallMode(120, 100, 100), MODE_PATCH);
  EXPECT_EQ(GetInstallMode(120, 130, 100), MODE_PATCH);  // newer than the server still patches
}

}  // namespace

namespace {

// Registry and disk in memory. Versions are found whatever the folder's trailing backslash, as
// version.dat is on the real disk.
struct FakeBackend : StoreBackend {
  bool launcherOpens = true;
  bool uninstallOpened = false;
  std::map<std::string, std::string> launcher, uninstall;
  std::map<std::string, int32_t> versions;
  std::vector<std::string> created;

  bool OpenKey(StoreKey key) override {
    if (key == StoreKey::kUninstall) return uninstallOpened = true;
    return launcherOpens;
  }
  std::string ReadValue(StoreKey key, const char* name) override {
    auto& values = key == StoreKey::kLauncher ? launcher : uninstall;
    return values.count(name) ? values[name] : "";
  }
  void WriteLauncherValue(const char* name, std::string_view text) override { launcher[name] = text; }
  int32_t ReadInstalledVersion(std::string_view folder) override {
    return versions[TrimOneTrailingBackslash(folder)];
  }
  void CreateFolderTree(std::string_view folder) override { created.emplace_back(folder); }
};

TEST(DetectInstallLocation, InstallerFolderWithVersionReplacesEmptyRecordedFolder) {
  FakeBackend backend;
  backend.launcher[kInstallLocationValue] = "C:\\Chosen";
  backend.uninstall[kUninstallLocationValue] = "D:\\Games\\SL\\";
  backend.versions["D:\\Games\\SL"] = 5;
  InstallState state;
  DetectInstallLocation(state, backend);

  EXPECT_EQ(state.installDir, "D:\\Games\\SL");
  EXPECT_EQ(state.installedVersion, 5);
  EXPECT_EQ(backend.launcher[kInstallLocationValue], "D:\\Games\\SL\\");  // as read, not trimmed
  EXPECT_EQ(backend.created, (std::vector<std::string>{"C:\\Chosen", "D:\\Games\\SL"}));
}

TEST(DetectInstallLocation, RecordedFolderWithVersionNeverConsultsInstaller) {
  FakeBackend backend;
  backend.launcher[kInstallLocationValue] = "C:\\SL\\";
  backend.versions["C:\\SL"] = 7;
  InstallState state;
  DetectInstallLocation(state, backend);

  EXPECT_EQ(state.installDir, "C:\\SL");
  EXPECT_EQ(state.installedVersion, 7);
  EXPECT_FALSE(backend.uninstallOpened);
}

TEST(DetectInstallLocation, RecordedFolderStaysUnlessInstallerFolderHasVersion) {
  FakeBackend backend;
  backend.launcher[kInstallLocationValue] = "C:\\Chosen\\";
  backend.uninstall[kUninstallLocationValue] = "D:\\Removed";  // no version.dat there
  InstallState state;
  state.installedVersion = 3;  // stale
  DetectInstallLocation(state, backend);

  EXPECT_EQ(state.installDir, "C:\\Chosen");
  EXPECT_EQ(state.installedVersion, 0);
  EXPECT_EQ(backend.launcher[kInstallLocationValue], "C:\\Chosen\\");
}

TEST(DetectInstallLocation, NoSourceLeavesInstallUnset) {
  FakeBackend backend;
  InstallState state;
  state.installedVersion = 3;
  DetectInstallLocation(state, backend);

  EXPECT_EQ(state.installDir, "");
  EXPECT_EQ(state.installedVersion, 0);
  EXPECT_TRUE(backend.created.empty());
  EXPECT_TRUE(backend.launcher.empty());
}

TEST(DetectInstallLocation, EmptyInstallLocationFallsBackToAppPath) {
  FakeBackend backend;
  backend.launcherOpens = false;  // still detected, but nowhere to record it
  backend.uninstall[kUninstallLocationValue] = "";
  backend.uninstall[kUninstallAppPathValue] = "E:\\SL";
  backend.versions["E:\\SL"] = 2;
  InstallState state;
  DetectInstallLocation(state, backend);

  EXPECT_EQ(state.installDir, "E:\\SL");
  EXPECT_EQ(state.installedVersion, 2);
  EXPECT_TRUE(backend.launcher.empty());
}

TEST(LocationStore, ChoicesAreRecordedAndDownloadFolderFixedAtFirstUse) {
  FakeBackend backend;
  backend.versions["D:\\New"] = 6;
  InstallState state;
  SetInstallDir(state, "D:\\New\\", /*storeChoice=*/true, backend);
  EXPECT_EQ(state.installedVersion, 6);
  EXPECT_EQ(backend.launcher[kInstallLocationValue], "D:\\New");

  LocalPaths paths;
  SetDownloadDir(paths, "D:\\Downloads", backend);
  EXPECT_EQ(EnsureDownloadDir(paths, backend), "D:\\Downloads");
  SetDownloadDir(paths, "E:\\Elsewhere", backend);
  EXPECT_EQ(backend.launcher[kDownloadPathValue], "E:\\Elsewhere");
  EXPECT_EQ(EnsureDownloadDir(paths, backend), "D:\\Downloads");  // started downloads stay together
}

}  // namespace

}  // namespace sl
