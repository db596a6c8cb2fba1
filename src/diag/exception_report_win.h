// Logs a structured exception: its code, where it happened and what it touched.
#pragma once

#include <windows.h>

#include <string_view>

namespace sl {

// Writes one log entry: source, the code's system text and DescribeException's lines. Meant for
// exception filters, so it returns EXCEPTION_EXECUTE_HANDLER and never throws. A fault inside
// WriteLog itself cannot be reported this way: the log's lock is not re-entrant.
LONG ReportException(std::string_view source, DWORD code, const EXCEPTION_POINTERS* pointers);

}  // namespace sl
