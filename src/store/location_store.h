// Where the game is installed and where downloads go: the decisions, free of Win32. The registry
// and the disk are reached through StoreBackend, so the order of look-ups is testable with a fake.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/install_state.h"
#include "store/local_paths.h"

namespace sl {

// Value names. The launcher key is ours; the uninstall key belongs to the game's own installer.
inline constexpr const char kInstallLocationValue[] = "SLLocation";
inline constexpr const char kDownloadPathValue[] = "TempDownloadPath";
inline constexpr const char kUninstallLocationValue[] = "InstallLocation";
inline constexpr const char kUninstallAppPathValue[] = "Inno Setup: App Path";

enum class StoreKey { kLauncher, kUninstall };

class StoreBackend {
 public:
  virtual ~StoreBackend() = default;

  // Opens the key and keeps it open for the backend's lifetime. The launcher key is created when
  // missing; the uninstall key is only ever opened. False when the key cannot be opened.
  virtual bool OpenKey(StoreKey key) = 0;
  // A text value of an opened key; empty when the key is not open or the value is missing,
  // unreadable, not text, or too long to name a folder.
  virtual std::string ReadValue(StoreKey key, const char* name) = 0;
  // Writes to the launcher key when it is open; failures are ignored.
  virtual void WriteLauncherValue(const char* name, std::string_view text) = 0;
  // The int32 in <folder>\version.dat; 0 when there is none.
  virtual int32_t ReadInstalledVersion(std::string_view folder) = 0;
  // Creates the folder and its missing parents; failures are ignored.
  virtual void CreateFolderTree(std::string_view folder) = 0;
};

// Our own record (SLLocation) wins when that folder holds a version; otherwise the game
// installer's uninstall entry is used if its folder holds one, and then becomes our record.
void DetectInstallLocation(InstallState& state, StoreBackend& backend);

// A folder the player chose. storeChoice also reads its version and records it as SLLocation.
void SetInstallDir(InstallState& state, std::string_view folder, bool storeChoice, StoreBackend& backend);

// The player's download folder, recorded as TempDownloadPath. The working folder of this session
// (paths.downloadDir) is left as it is, so downloads already started keep their files together.
void SetDownloadDir(LocalPaths& paths, std::string_view folder, StoreBackend& backend);

// The working download folder, fixed and created on first use from the setting.
const std::string& EnsureDownloadDir(LocalPaths& paths, StoreBackend& backend);

}  // namespace sl
