// What the download thread tells the window that started it (WM_USER = 1024). Both numbers are
// fixed: other builds of the program and its tests exchange them.
#pragma once

#include "net/download_status.h"

namespace sl {

// Posted: wParam bytes of the file on disk, lParam its content length (0 = unknown). A receiver
// calls MSHTTPHelper::ProgressTaken() so that the next one is posted.
inline constexpr unsigned WM_DOWNLOAD_PROGRESS = 1048;
// Sent: wParam an MDS_STATUS_* code, lParam a UTF-16 text (the file name, or an error text).
inline constexpr unsigned WM_DOWNLOAD_STATUS = 1057;

}  // namespace sl
