#include "base/clock.h"

namespace sl {

double UnixSecondsFromFileTime(uint64_t fileTime) {
  constexpr uint64_t kUnixEpoch = 116444736000000000ULL;  // 1970-01-01 in file-time units
  // Subtract in integers first: a double cannot hold today's file time to the 100 ns.
  return static_cast<double>(static_cast<int64_t>(fileTime - kUnixEpoch)) / 1e7;
}

}  // namespace sl
