#include "diag/seh_guard_win.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <new>
#include <iterator>
#include <string>
#include <string_view>

#include "base/text_win.h"
#include "diag/exception_text.h"
#include "diag/log.h"
#include "diag/seh_guard_frame_win.h"

// The exception filter named in SlSehGuardedCall's scope table, and the report it leads to.
namespace {

// Codes the C++ runtimes raise to carry their own exceptions (GCC's throw, unwind and forced
// unwind; MSVC's throw). They belong to catch blocks further out, not to the guard.
bool IsCppException(DWORD code) {
  return code == 0x20474343 || code == 0x21474343 || code == 0x22474343 || code == 0xE06D7363;
}

}  // namespace

// Only records what it sees: it runs before the faulting frames are unwound, maybe inside the log
// itself, so the guard logs once the body has been left.
extern "C" LONG SlSehGuardFilter(EXCEPTION_POINTERS* pointers, void* establisherFrame) noexcept {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  if (IsCppException(code)) return EXCEPTION_CONTINUE_SEARCH;
  sl::ExceptionFacts* fault = *reinterpret_cast<sl::ExceptionFacts* const*>(
      static_cast<const char*>(establisherFrame) + SL_SEH_GUARD_FAULT_SLOT);
  if (fault != nullptr) sl::CaptureException(code, pointers, *fault);
  return EXCEPTION_EXECUTE_HANDLER;
}

namespace sl {

// Every name of the portable exception table stands for the SDK's code of that name.
#define SL_NAMED_AS_IN_SDK(code) static_assert(std::string_view(ExceptionName(code)) == #code)
SL_NAMED_AS_IN_SDK(EXCEPTION_DATATYPE_MISALIGNMENT);
SL_NAMED_AS_IN_SDK(EXCEPTION_BREAKPOINT);
SL_NAMED_AS_IN_SDK(EXCEPTION_SINGLE_STEP);
SL_NAMED_AS_IN_SDK(EXCEPTION_ACCESS_VIOLATION);
SL_NAMED_AS_IN_SDK(EXCEPTION_IN_PAGE_ERROR);
SL_NAMED_AS_IN_SDK(EXCEPTION_ILLEGAL_INSTRUCTION);
SL_NAMED_AS_IN_SDK(EXCEPTION_NONCONTINUABLE_EXCEPTION);
SL_NAMED_AS_IN_SDK(EXCEPTION_INVALID_DISPOSITION);
SL_NAMED_AS_IN_SDK(EXCEPTION_ARRAY_BOUNDS_EXCEEDED);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_DENORMAL_OPERAND);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_DIVIDE_BY_ZERO);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_INEXACT_RESULT);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_INVALID_OPERATION);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_OVERFLOW);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_STACK_CHECK);
SL_NAMED_AS_IN_SDK(EXCEPTION_FLT_UNDERFLOW);
SL_NAMED_AS_IN_SDK(EXCEPTION_INT_DIVIDE_BY_ZERO);
SL_NAMED_AS_IN_SDK(EXCEPTION_INT_OVERFLOW);
SL_NAMED_AS_IN_SDK(EXCEPTION_PRIV_INSTRUCTION);
SL_NAMED_AS_IN_SDK(EXCEPTION_STACK_OVERFLOW);
#undef SL_NAMED_AS_IN_SDK
static_assert(std::size(kExceptionNames) == 20);

namespace {

// The module holding `address`, if any; the path comes as UTF-16 and is kept as UTF-8, so a
// folder name outside the ANSI code page (a Vietnamese user name) is still logged correctly.
void FindModule(const void* address, ExceptionFacts& facts) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const wchar_t*>(address), &module)) {
    return;
  }
  const HANDLE process = ::GetCurrentProcess();
  MODULEINFO info{};
  if (::K32GetModuleInformation(process, module, &info, sizeof(info))) {
    facts.moduleBase = reinterpret_cast<uintptr_t>(info.lpBaseOfDll);
  }
  wchar_t path[MAX_PATH * 2];
  const DWORD length = ::K32GetModuleFileNameExW(process, module, path, static_cast<DWORD>(std::size(path)));
  facts.modulePath = Narrow(std::wstring_view(path, length));
}

}  // namespace

void CaptureException(DWORD code, const EXCEPTION_POINTERS* pointers, ExceptionFacts& facts) noexcept {
  facts = ExceptionFacts{};
  facts.code = code;
  const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
  if (record == nullptr) return;
  facts.exceptionAddress = reinterpret_cast<uintptr_t>(record->ExceptionAddress);
  facts.numberParameters = record->NumberParameters;
  // Parameters past NumberParameters hold whatever was on the raiser's stack.
  const DWORD count = std::min<DWORD>(record->NumberParameters, std::size(facts.parameters));
  for (DWORD i = 0; i < count; ++i) facts.parameters[i] = record->ExceptionInformation[i];
  try {
    FindModule(record->ExceptionAddress, facts);
  } catch (const std::bad_alloc&) {
    facts.moduleBase = 0;  // reported as in no module; the entry still names the address
  }
}

void LogException(std::string_view source, const ExceptionFacts& facts) noexcept {
  std::string description;
  try {
    description = DescribeException(facts);
  } catch (const std::bad_alloc&) {
    // The entry still names the source and the code.
  }
  WriteLog(source, facts.code, description);
}

LONG ReportException(std::string_view source, DWORD code, const EXCEPTION_POINTERS* pointers) {
  ExceptionFacts facts;
  CaptureException(code, pointers, facts);
  LogException(source, facts);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace sl
