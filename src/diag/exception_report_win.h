// Logs a structured exception: its code, where it happened and what it touched.
#pragma once

#include <windows.h>

#include <string_view>

#include "diag/exception_text.h"

namespace sl {

// Fills facts from an exception record where it is raised (in an exception filter). Never throws:
// without memory for the module's path, the facts keep at least the code.
void CaptureException(DWORD code, const EXCEPTION_POINTERS* pointers, ExceptionFacts& facts) noexcept;

// Writes one log entry: source, the code's system text and DescribeException's lines. Never throws.
void LogException(std::string_view source, const ExceptionFacts& facts) noexcept;

// Both at once, for a filter that may log where the exception was raised; returns
// EXCEPTION_EXECUTE_HANDLER. Not for code that may fault inside WriteLog: a fault there is logged
// once the faulting frames are gone (RunGuarded).
LONG ReportException(std::string_view source, DWORD code, const EXCEPTION_POINTERS* pointers);

}  // namespace sl
