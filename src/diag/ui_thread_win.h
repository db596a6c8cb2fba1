// The window's thread, and a check that code meant for it runs there: a worker that touched the
// window's state directly would race with it. Checked in test and debug builds (SL_CHECK_UI_THREAD).
#pragma once

namespace sl {

// The entry calls this on the thread that creates and serves the windows.
void MarkUiThread();

// Where checks are on, a call from another thread than the marked one is logged under `where` and
// ends the process, so that a test sees it; elsewhere, and before a mark, this does nothing.
void ExpectUiThread(const char* where);

}  // namespace sl
