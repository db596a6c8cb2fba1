#include "install/install_job.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

InstallState Installed(int32_t installed, int32_t target) {
  InstallState state;
  state.installDir = "C:\\Game";
  state.installedVersion = installed;
  state.targetVersion = target;
  return state;
}

TEST(ApplyInstallOutcome, FullInstallTakesWhatIsOnDiskAndItsTrackingId) {
  InstallJob job;
  job.mode = MODE_FULL;
  job.trackingId = "id";
  job.installedVersion = 120;
  InstallState state = Installed(0, 120);
  ApplyInstallOutcome(job, state);
  EXPECT_EQ(state.installedVersion, 120);
  EXPECT_EQ(state.targetVersion, 120);
  EXPECT_EQ(state.trackingId, "id");

  job.installedVersion = 0;  // a failed full install leaves nothing: the next plan starts over
  ApplyInstallOutcome(job, state);
  EXPECT_EQ(state.installedVersion, 0);
  EXPECT_EQ(state.targetVersion, 0);
}

TEST(ApplyInstallOutcome, PatchOnlyMovesTheInstalledReleaseUp) {
  InstallJob job;
  job.mode = MODE_PATCH;
  job.installedVersion = 121;
  InstallState state = Installed(120, 121);
  ApplyInstallOutcome(job, state);
  EXPECT_EQ(state.installedVersion, 121);

  job.installedVersion = 0;  // "version.dat" gone after a patch
  ApplyInstallOutcome(job, state);
  EXPECT_EQ(state.installedVersion, 121);
  EXPECT_EQ(state.targetVersion, 121);

  job.installedVersion.reset();  // a failed patch reads nothing
  state.installedVersion = 100;
  ApplyInstallOutcome(job, state);
  EXPECT_EQ(state.installedVersion, 100);
}

}  // namespace
}  // namespace sl
