#include "diag/worker_win.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "diag/log.h"

namespace sl {

namespace {

std::atomic<DWORD> g_uiThread{0};

}  // namespace

void MarkUiThread() { g_uiThread = ::GetCurrentThreadId(); }

void ExpectUiThread([[maybe_unused]] const char* where) {
#if SL_CHECK_UI_THREAD
  const DWORD ui = g_uiThread;
  if (ui == 0 || ui == ::GetCurrentThreadId()) return;
  WriteLog("ExpectUiThread", 0, std::string(where) + " chạy ngoài luồng cửa sổ");
  std::abort();
#endif
}

}  // namespace sl
