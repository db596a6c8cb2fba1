// What a download tells its window beside the message numbers (base/window_messages.h): the status
// codes and the failure a retry carries.
#pragma once

#include <cstdint>

#include "base/window_messages.h"
#include "net/transfer_rules.h"

namespace sl {

// The FailureKind a WM_DOWNLOAD_RETRY carries; any other value counts as a lost connection.
[[nodiscard]] inline FailureKind FailureKindFromMessage(intptr_t value) {
  if (value < static_cast<intptr_t>(FailureKind::NoConnection) ||
      value > static_cast<intptr_t>(FailureKind::LocalFile))
    return FailureKind::NoConnection;
  return static_cast<FailureKind>(value);
}

// Status values of one file's transfer, shared by the file list and the HTTP client. They travel as
// WM_DOWNLOAD_STATUS parameters, so the numbers are fixed.

inline constexpr int32_t MDS_STATUS_INITIALIZING = 1010;  // listed, not started
inline constexpr int32_t MDS_STATUS_DOWNLOADING = 1011;
inline constexpr int32_t MDS_STATUS_DONE = 1013;  // downloaded and verified
inline constexpr int32_t MDS_STATUS_FAILED = 1018;
inline constexpr int32_t MDS_STATUS_INIT_FAILED = 1019;
inline constexpr int32_t MDS_STATUS_PREPARING = 1020;
inline constexpr int32_t MDS_STATUS_HTTP_ERROR = 1023;

}  // namespace sl
