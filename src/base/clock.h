// The wall clock's arithmetic, free of Win32.
#pragma once

#include <cstdint>

namespace sl {

// A file time (100-ns units since 1601-01-01 UTC) as seconds since 1970-01-01 UTC.
[[nodiscard]] double UnixSecondsFromFileTime(uint64_t fileTime);

}  // namespace sl
