// The exception filter named in SlSehGuardedCall's scope table.
#include <windows.h>

#include "diag/exception_report_win.h"
#include "diag/seh_guard_frame_win.h"

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
