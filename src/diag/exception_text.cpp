#include "diag/exception_text.h"

#include <cinttypes>

#include "base/text.h"

namespace sl {
namespace {

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
