// What a download tells its window: the status codes and the messages that carry them.
#pragma once

#include <cstdint>

#include "net/transfer_rules.h"

namespace sl {

// What the download thread tells the window that started it (WM_USER = 1024). The numbers are
// fixed: other builds of the program and its tests exchange them.

// Posted: wParam bytes of the file on disk, lParam its content length (0 = unknown). A receiver
// calls MSHTTPHelper::ProgressTaken() so that the next one is posted.
inline constexpr unsigned WM_DOWNLOAD_PROGRESS = 1048;
// Sent: wParam an MDS_STATUS_* code, lParam a UTF-16 text (the file name, or an error text).
inline constexpr unsigned WM_DOWNLOAD_STATUS = 1057;
// Sent once a second while a download, or a list or manifest fetch of a run, waits to try again:
// wParam the seconds until the next try, lParam the FailureKind (transfer_rules.h) of the failed try.
inline constexpr unsigned WM_DOWNLOAD_RETRY = 1058;
// Posted while the check of a whole file catches up: wParam the bytes hashed, lParam its length.
inline constexpr unsigned WM_MD5_PROGRESS = 52;

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
