#include <windows.h>

#include "base/clock.h"

namespace sl {

double NowSeconds() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return UnixSecondsFromFileTime((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

}  // namespace sl
