#include "install/install_job.h"

#include <algorithm>

namespace sl {

void ApplyInstallOutcome(const InstallJob& job, InstallState& state) {
  if (job.mode == MODE_FULL) state.trackingId = job.trackingId;
  if (!job.installedVersion) return;
  if (job.mode == MODE_FULL) {
    RecordInstalledVersion(state, *job.installedVersion);
  } else {
    // The views judge the mode by the installed release: without this, a finished patch chain
    // would still offer an update from the release it started at. Only a higher release is
    // taken, and targetVersion stays as planned: a patch that leaves "version.dat" missing or
    // behind neither turns the run into a full install nor makes the chain repeat.
    state.installedVersion = std::max(state.installedVersion, *job.installedVersion);
  }
}

}  // namespace sl
