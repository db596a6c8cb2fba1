// Status values of one file's transfer, shared by the file list and the HTTP client. They travel as
// WM_DOWNLOAD_STATUS parameters, so the numbers are fixed.
#pragma once

#include <cstdint>

namespace sl {

inline constexpr int32_t MDS_STATUS_INITIALIZING = 1010;  // listed, not started
inline constexpr int32_t MDS_STATUS_DOWNLOADING = 1011;
inline constexpr int32_t MDS_STATUS_DONE = 1013;  // downloaded and verified
inline constexpr int32_t MDS_STATUS_FAILED = 1018;
inline constexpr int32_t MDS_STATUS_INIT_FAILED = 1019;
inline constexpr int32_t MDS_STATUS_PREPARING = 1020;
inline constexpr int32_t MDS_STATUS_HTTP_ERROR = 1023;

}  // namespace sl
