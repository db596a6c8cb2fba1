// The install record (folders and versions, as read from the disk, the registry and the server)
// and the install-mode rule, shared by every layer above the store.
#pragma once

#include <cstdint>
#include <string>

namespace sl {

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

}  // namespace sl
