// A step's install job, shared by the window and the worker, and the messages the worker sends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/download_messages.h"
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

// What the install pipeline's threads post to the main window.

// An MD5 check's verdict (1 or 0), after its WM_MD5_PROGRESS (net/download_messages.h): nobody acts
// on it.
inline constexpr unsigned WM_MD5_RESULT = 53;
// The install worker's verdict on one step: wParam 1 or 0, lParam the setup program's file name
// (UTF-8, owned by the worker's job, valid until the job is replaced).
inline constexpr unsigned WM_INSTALL_RESULT = 1104;
// Work off the window has ended (diag/worker_win.h); wParam the run's ticket. version.ini was read
// (at start-up, or again for a press), and a plan of the next step is done (WM_APP + 2, + 3).
inline constexpr unsigned WM_VERSIONS_READ = 32770;
inline constexpr unsigned WM_PLAN_DONE = 32771;
// A transfer beside the current file's has ended (WM_APP + 4): wParam its ticket, lParam 1 when
// its file is whole on disk, 0 when it failed.
inline constexpr unsigned WM_SIDE_DOWNLOAD_DONE = 32772;

}  // namespace sl
