// The host build's WriteLog keeps entries in memory, so portable code that logs can be tested.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sl {

struct CapturedLogEntry {
  std::string source;
  uint32_t errorCode = 0;
  std::string message;
  bool hasMessage = false;  // which WriteLog overload was called

  bool operator==(const CapturedLogEntry&) const = default;
};

// The entries written since the last call, oldest first; the record is left empty.
[[nodiscard]] std::vector<CapturedLogEntry> TakeCapturedLog();

}  // namespace sl
