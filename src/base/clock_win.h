// The wall clock as the pipeline measures rates and repaint intervals.
#pragma once

namespace sl {

// Seconds since 1970-01-01 UTC, from the system's file time.
[[nodiscard]] double NowSeconds();

}  // namespace sl
