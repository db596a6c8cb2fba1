// Text of a structured-exception report, made from facts the Win32 side gathers.
#pragma once

#include <cstdint>
#include <string>

namespace sl {

struct ExceptionFacts {
  uint32_t code = 0;
  uint64_t exceptionAddress = 0;
  uint64_t moduleBase = 0;        // 0 when the address lies in no module
  std::string modulePath;         // UTF-8; empty when the address lies in no module
  uint64_t parameters[3] = {};    // the record's first parameters; unused ones stay 0
  uint32_t numberParameters = 0;  // how many parameters the record carried
};

// The exception codes a report names, as the SDK numbers them.
inline constexpr uint32_t kAccessViolation = 0xC0000005;
inline constexpr uint32_t kInPageError = 0xC0000006;

struct NamedCode {
  uint32_t code;
  const char* name;
};

inline constexpr NamedCode kExceptionNames[] = {
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {kAccessViolation, "EXCEPTION_ACCESS_VIOLATION"},
    {kInPageError, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
};

// "EXCEPTION_ACCESS_VIOLATION" and the like; "UNKNOWN EXCEPTION" for any other code.
[[nodiscard]] constexpr const char* ExceptionName(uint32_t code) {
  for (const NamedCode& entry : kExceptionNames) {
    if (entry.code == code) return entry.name;
  }
  return "UNKNOWN EXCEPTION";
}

// One to three lines, each ended by LF:
//   "SE <name> at address 0x<16 hex> inside <module> loaded at base address 0x<16 hex>"
//   "Invalid operation: <read|write|...> at address 0x<hex>"  (access violation, in-page error)
//   "Underlying NTSTATUS code that resulted in the exception <decimal>"  (in-page error)
// A line is left out when the record did not carry the parameter it shows.
[[nodiscard]] std::string DescribeException(const ExceptionFacts& facts);

}  // namespace sl
