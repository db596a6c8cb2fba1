#include "store/install_state.h"

#include "store/local_paths.h"

namespace sl {

InstallMode GetInstallMode(int32_t latest, int32_t installed, int32_t minimal) {
  if (latest == 0) return MODE_NONE;
  if (latest == installed) return MODE_CURRENT;
  if (installed == 0 || installed < minimal) return MODE_FULL;
  return MODE_PATCH;
}

void RecordInstalledVersion(InstallState& state, int32_t version) {
  state.installedVersion = version;
  if (!state.installDir.empty()) state.targetVersion = version;
}

void DetectInstallLocation(InstallState& state, StoreBackend& backend) {
  state.installedVersion = 0;

  const bool launcherOpen = backend.OpenKey(StoreKey::kLauncher);
  if (launcherOpen) {
    const std::string recorded = backend.ReadValue(StoreKey::kLauncher, kInstallLocationValue);
    if (!recorded.empty()) {
      state.installedVersion = backend.ReadInstalledVersion(recorded);
      state.installDir = TrimOneTrailingBackslash(recorded);
      backend.CreateFolderTree(state.installDir);
      if (state.installedVersion > 0) return;
    }
  }

  // Our record is missing or names an empty folder: the game may have been installed by its own
  // installer, which only a folder with a real version may override.
  if (!backend.OpenKey(StoreKey::kUninstall)) return;
  std::string location = backend.ReadValue(StoreKey::kUninstall, kUninstallLocationValue);
  if (location.empty()) location = backend.ReadValue(StoreKey::kUninstall, kUninstallAppPathValue);
  if (location.empty()) return;

  const int32_t version = backend.ReadInstalledVersion(location);
  if (version <= 0) return;
  state.installedVersion = version;
  state.installDir = TrimOneTrailingBackslash(location);
  backend.CreateFolderTree(state.installDir);
  if (launcherOpen) backend.WriteLauncherValue(kInstallLocationValue, location);
}

void SetInstallDir(InstallState& state, std::string_view folder, bool storeChoice, StoreBackend& backend) {
  state.installDir = TrimOneTrailingBackslash(folder);
  backend.CreateFolderTree(state.installDir);
  if (!storeChoice) return;
  state.installedVersion = backend.ReadInstalledVersion(state.installDir);
  if (backend.OpenKey(StoreKey::kLauncher))
    backend.WriteLauncherValue(kInstallLocationValue, state.installDir);
}

void SetDownloadDir(LocalPaths& paths, std::string_view folder, StoreBackend& backend) {
  paths.downloadDirSetting = folder;
  if (backend.OpenKey(StoreKey::kLauncher)) backend.WriteLauncherValue(kDownloadPathValue, folder);
}

const std::string& EnsureDownloadDir(LocalPaths& paths, StoreBackend& backend) {
  if (paths.downloadDir.empty()) {
    paths.downloadDir = paths.downloadDirSetting;
    if (!paths.downloadDir.empty()) backend.CreateFolderTree(paths.downloadDir);
  }
  return paths.downloadDir;
}

}  // namespace sl
