// The body of one file download's thread.
#pragma once

#include "net/download_session_win.h"

namespace sl {

inline constexpr char kConnectionErrorText[] =
    "Lỗi kết nối đến máy chủ, xin vui lòng kiểm tra lại đường truyền mạng!";
inline constexpr char kFileInUseText[] = "Tệp tin đăng bị sử dụng. Vui lòng tắt chương trình thử lại sau!";

// Downloads state.url to state.savePath, resuming a partial file with a range request, and ends
// with WM_DOWNLOAD_STATUS 1013 or 1018. Returns 0 after 1013, else the error number. An exception
// (a buffer that cannot be allocated) is logged and ends the transfer with 1018 too.
int RunDownload(MSHTTPHelper::State& state);

}  // namespace sl
