#include "diag/exception_text.h"

#include <cinttypes>

#include "base/text.h"

namespace sl {
namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kInPageError = 0xC0000006;

struct NamedCode {
  uint32_t code;
  const char* name;
};

constexpr NamedCode kNames[] = {
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

// The first parameter of an access or in-page error says what the faulting instruction did.
const char* AccessKind(uint64_t kind) {
  switch (kind) {
    case 0:
      return "read";
    case 1:
      return "write";
    case 8:
      return "user-mode data execution prevention (DEP) violation";
    default:
      return "unknown";
  }
}

}  // namespace

const char* ExceptionName(uint32_t code) {
  for (const NamedCode& entry : kNames) {
    if (entry.code == code) return entry.name;
  }
  return "UNKNOWN EXCEPTION";
}

std::string DescribeException(const ExceptionFacts& facts) {
  std::string text =
      Format("SE %s at address 0x%016" PRIX64 " inside %s loaded at base address 0x%016" PRIX64 "\n",
             ExceptionName(facts.code), facts.exceptionAddress, facts.modulePath.c_str(), facts.moduleBase);
  const bool accessFault = facts.code == kAccessViolation || facts.code == kInPageError;
  // Fewer parameters than expected happen with RaiseException; the missing ones mean nothing.
  if (accessFault && facts.numberParameters >= 2) {
    text += Format("Invalid operation: %s at address 0x%" PRIx64 "\n", AccessKind(facts.parameters[0]),
                   facts.parameters[1]);
  }
  if (facts.code == kInPageError && facts.numberParameters >= 3) {
    text +=
        Format("Underlying NTSTATUS code that resulted in the exception %" PRIu64 "\n", facts.parameters[2]);
  }
  return text;
}

}  // namespace sl
