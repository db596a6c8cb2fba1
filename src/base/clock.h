// The wall clock as the pipeline measures rates and repaint intervals.
#pragma once

#include <cstdint>

namespace sl {

// A file time (100-ns units since 1601-01-01 UTC) as seconds since 1970-01-01 UTC. Portable.
[[nodiscard]] double UnixSecondsFromFileTime(uint64_t fileTime);

// Seconds since 1970-01-01 UTC, from the system's file time (the Win32 layer, clock_win.cpp).
[[nodiscard]] double NowSeconds();

}  // namespace sl
