// The wall clock as the pipeline measures rates and repaint intervals.
#pragma once

#include <cstdint>

namespace sl {

// A file time (100-ns units since 1601-01-01 UTC) as seconds since 1970-01-01 UTC. Portable.
[[nodiscard]] constexpr double UnixSecondsFromFileTime(uint64_t fileTime) {
  constexpr uint64_t kUnixEpoch = 116444736000000000ULL;  // 1970-01-01 in file-time units
  // Subtract in integers first: a double cannot hold today's file time to the 100 ns.
  return static_cast<double>(static_cast<int64_t>(fileTime - kUnixEpoch)) / 1e7;
}

// Seconds since 1970-01-01 UTC, from the system's file time (the Win32 layer, clock_win.cpp).
[[nodiscard]] double NowSeconds();

}  // namespace sl
