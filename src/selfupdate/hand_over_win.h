// Waiting for the program that hands over to this one in a self-update.
#pragma once

#include <windows.h>

#include <string_view>

namespace sl {

// Waits until the first running process whose executable file name is `exeName` (any case; this
// process left out) has ended, at most 5000 ms. Returns at once when there is none; false when it
// still runs.
bool WaitForProcessExit(std::string_view exeName);

// When this process was started by its self-update predecessor (the main or the copy file beside
// it, started earlier and still ending), waits for that process to end, at most `timeoutMs`.
// Otherwise returns at once.
void WaitForPredecessor(DWORD timeoutMs);

}  // namespace sl
