// A step's install job, shared by the window and the worker.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/install_state.h"

namespace sl {

// One step's setup run, shared by the UI thread and the install worker. The worker reads only
// the inputs, which are copies, and writes only the outcome before it posts WM_INSTALL_RESULT;
// the UI thread reads the outcome only after that message. Either side may outlive the other.

struct InstallJob {
  // Inputs: the verified setup program and where it installs to.
  std::string setupPath;  // empty when the step has no setup program
  std::string setupName;  // its file name, as WM_INSTALL_RESULT carries it
  std::string setupMd5;   // empty when the list gives none
  uint64_t setupSize = 0;
  std::string downloadDir;  // the setup program's working folder
  std::string installDir;
  InstallMode mode = MODE_NONE;
  std::string ownExeName;  // the installer's file name, which may carry the first-open report's id

  // Outcome.
  bool ok = false;
  std::string refusal;     // the player's text when the setup program was not started for its signature
  std::string trackingId;  // found for a full install
  // "version.dat" read again after the setup program ended; none when it was not read.
  std::optional<int32_t> installedVersion;
};

// Takes a finished job's outcome into the install record (UI thread, on WM_INSTALL_RESULT).
void ApplyInstallOutcome(const InstallJob& job, InstallState& state);

}  // namespace sl
