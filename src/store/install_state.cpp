#include "store/install_state.h"

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

}  // namespace sl
