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

// "EXCEPTION_ACCESS_VIOLATION" and the like; "UNKNOWN EXCEPTION" for any other code.
[[nodiscard]] const char* ExceptionName(uint32_t code);

// One to three lines, each ended by LF:
//   "SE <name> at address 0x<16 hex> inside <module> loaded at base address 0x<16 hex>"
//   "Invalid operation: <read|write|...> at address 0x<hex>"  (access violation, in-page error)
//   "Underlying NTSTATUS code that resulted in the exception <decimal>"  (in-page error)
// A line is left out when the record did not carry the parameter it shows.
[[nodiscard]] std::string DescribeException(const ExceptionFacts& facts);

}  // namespace sl
