// The install record and its modes, and the rules that find the install folder and the download folder from
// what the store holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/local_paths.h"

namespace sl {

// The install record (folders and versions, as read from the disk, the registry and the server)
// and the install-mode rule, shared by every layer above the store.

enum InstallMode : int32_t { MODE_NONE = 0, MODE_FULL = 1, MODE_PATCH = 2, MODE_CURRENT = 3 };

enum WorkflowState : uint32_t { STATE_IDLE = 0, STATE_UPDATING = 1088, STATE_INSTALLING = 1089 };

struct InstallState {
  std::string installDir;  // never with a trailing backslash; empty = unset
  int32_t installedVersion = 0;
  int32_t latestVersion = 0;
  int32_t minimalVersion = 0;
  int32_t preDownStart = 0;
  int32_t preDownEnd = 0;
  int32_t targetVersion = 0;
  uint32_t workflowState = STATE_IDLE;
  int32_t spaceWarning = 0;
  std::string trackingId;  // user id from the installer's file name, for the first-open report
};

[[nodiscard]] InstallMode GetInstallMode(int32_t latest, int32_t installed, int32_t minimal);

// The release "version.dat" was just found to hold (0: none) becomes the installed one, and the
// next plan starts from it when an install folder is set.
void RecordInstalledVersion(InstallState& state, int32_t version);

// Where the game is installed and where downloads go: the decisions, free of Win32. The registry
// and the disk are reached through StoreBackend, so the order of look-ups is testable with a fake.

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
