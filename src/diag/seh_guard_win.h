// Structured exceptions: their report in the log, and the guard under which code survives them.
#pragma once

#include <windows.h>

#include <string_view>

#include "diag/exception_text.h"

extern "C" {
// Calls fn(context) under a structured-exception frame (seh_guard_x64.S). Returns 1 when fn
// returned, 0 when an exception ended it; then *fault holds what the exception filter saw.
int SlSehGuardedCall(void (*fn)(void*), void* context, sl::ExceptionFacts* fault);
}

namespace sl {

// Logs a structured exception: its code, where it happened and what it touched.
// Fills facts from an exception record where it is raised (in an exception filter). Never throws:
// without memory for the module's path, the facts keep at least the code.
void CaptureException(DWORD code, const EXCEPTION_POINTERS* pointers, ExceptionFacts& facts) noexcept;

// Writes one log entry: source, the code's system text and DescribeException's lines. Never throws.
void LogException(std::string_view source, const ExceptionFacts& facts) noexcept;

// Both at once, for a filter that may log where the exception was raised; returns
// EXCEPTION_EXECUTE_HANDLER. Not for code that may fault inside WriteLog: a fault there is logged
// once the faulting frames are gone (RunGuarded).
LONG ReportException(std::string_view source, DWORD code, const EXCEPTION_POINTERS* pointers);

// Runs code so that a hardware or system exception inside it is logged and survived.
// Runs body(); returns false when a structured exception (access violation, divide by zero,
// RaiseException...) ended it. The exception is logged once, under sourceUtf8, and the program
// goes on. Guards nest: the innermost one reports.
//
// The entry is written once the body has been left, never from the exception filter: the filter
// runs on top of the faulting frames, which may be WriteLog's own.
//
// GCC's unwinder ignores exceptions it did not throw itself, so destructors of objects living
// between this call and the fault do NOT run: a body must not hold locks or other state whose
// release the rest of the program depends on (WriteLog takes its lock only around its own
// memory). C++ exceptions pass through unreported and unwind as usual.
template <class F>
[[nodiscard]] bool RunGuarded(const char* sourceUtf8, F&& body) {
  auto call = [&body] { body(); };  // one object type for lambdas, functions and pointers alike
  using Call = decltype(call);
  ExceptionFacts fault;
  if (SlSehGuardedCall([](void* context) { (*static_cast<Call*>(context))(); }, &call, &fault) != 0)
    return true;
  LogException(sourceUtf8, fault);
  return false;
}

}  // namespace sl
