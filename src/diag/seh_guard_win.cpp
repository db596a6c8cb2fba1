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

extern "C" LONG SlSehGuardFilter(EXCEPTION_POINTERS* pointers, void* establisherFrame) noexcept {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  if (IsCppException(code)) return EXCEPTION_CONTINUE_SEARCH;
  const char* source = *reinterpret_cast<const char* const*>(static_cast<const char*>(establisherFrame) +
                                                             SL_SEH_GUARD_SOURCE_SLOT);
  return sl::ReportException(source != nullptr ? source : "", code, pointers);
}
