#include "net/download_session_win.h"

#include <chrono>

#include "base/text_win.h"
#include "base/path.h"
#include "base/window_messages.h"
#include "diag/thread_entry.h"
#include "net/download_messages.h"

namespace sl {
namespace {

// How long the thread waits for the window to take a progress message before the final
// count; a window that stopped pumping must not hold the transfer forever.
constexpr DWORD kProgressTakenWaitMs = 2000;
// A fast transfer would post after every read; the window cannot show more than this anyway, and
// each message is a trip through the system that the transfer pays for.
constexpr ULONGLONG kProgressIntervalMs = 50;
// How long a download thread waits for its helper's next file before it ends: starting a thread
// costs a small file more than its transfer.
constexpr DWORD kIdleWorkerMs = 30000;

}  // namespace

void MSHTTPHelper::State::ProgressTaken() {
  progressInFlight = false;
  ::SetEvent(progressTaken.get());
}

void MSHTTPHelper::State::SendStatus(int32_t code, const std::wstring& text) {
  if (detached.Requested()) return;
  if (endMessage != 0) {
    if (code == MDS_STATUS_DONE || code == MDS_STATUS_FAILED) {
      endText = text;
      PostUntilTaken(window, endMessage, endTag, code == MDS_STATUS_DONE ? 1 : 0);
    }
    return;
  }
  ::SendMessageW(window, WM_DOWNLOAD_STATUS, static_cast<WPARAM>(code),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void MSHTTPHelper::State::PostProgress(int64_t done, int64_t length) {
  const ULONGLONG now = ::GetTickCount64();
  if (detached.Requested() || endMessage != 0 || now - lastProgressPost < kProgressIntervalMs ||
      progressInFlight.exchange(true))
    return;
  lastProgressPost = now;
  ::ResetEvent(progressTaken.get());
  if (!::PostMessageW(window, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(done), static_cast<LPARAM>(length))) {
    progressInFlight = false;
  }
}

void MSHTTPHelper::State::SendProgress(int64_t done, int64_t length) {
  if (detached.Requested() || endMessage != 0) return;
  if (progressInFlight) ::WaitForSingleObject(progressTaken.get(), kProgressTakenWaitMs);
  progressInFlight = true;
  ::SendMessageW(window, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(done), static_cast<LPARAM>(length));
  progressInFlight = false;
}

void MSHTTPHelper::State::PostCheckProgress(uint64_t hashed, uint64_t length) {
  if (detached.Requested() || endMessage != 0) return;
  ::PostMessageW(window, WM_MD5_PROGRESS, static_cast<WPARAM>(hashed), static_cast<LPARAM>(length));
}

bool QueryStatusCode(HINTERNET request, uint32_t& statusCode) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) {
    return false;
  }
  statusCode = value;
  return true;
}

std::optional<std::string> QueryHeaderText(HINTERNET request, DWORD query) {
  wchar_t value[128];
  DWORD size = sizeof(value);
  if (!::HttpQueryInfoW(request, query, value, &size, nullptr)) return std::nullopt;
  return Narrow(std::wstring_view(value, size / sizeof(wchar_t)));
}

void StartDownloadThread(const std::shared_ptr<MSHTTPHelper::State>& state, std::string_view url,
                         std::string_view savePath, uint64_t expectedSize, bool contentChecked) {
  MSHTTPHelper::State& s = *state;
  s.status = s.session ? MDS_STATUS_INITIALIZING : MDS_STATUS_INIT_FAILED;
  s.url.assign(url);
  s.savePath.assign(savePath);
  s.expectedSize = expectedSize;
  s.contentChecked = contentChecked;
  s.fileName = UrlFileName(url).value_or(std::string_view());
  s.total = 0;
  s.downloaded = 0;
  s.digest.clear();
  s.progressInFlight = false;
  s.lastProgressPost = 0;
  {
    std::lock_guard lock(s.jobMutex);
    if (s.workerAlive) {
      s.jobPending = true;
      s.jobReady.notify_one();
      return;
    }
    s.workerAlive = true;
  }
  if (!StartWorkerThread("MSHTTPHelper::Download", [state] { RunDownloads(*state); })) {
    {
      std::lock_guard lock(s.jobMutex);
      s.workerAlive = false;
    }
    // Without this the window would wait forever for the end of a transfer that never began.
    s.status = MDS_STATUS_FAILED;
    s.SendStatus(MDS_STATUS_FAILED, Widen(kConnectionErrorText));
  }
}

void RunDownloads(MSHTTPHelper::State& state) {
  for (;;) {
    RunDownload(state);
    std::unique_lock lock(state.jobMutex);
    const bool next = state.jobReady.wait_for(lock, std::chrono::milliseconds(kIdleWorkerMs),
                                              [&] { return state.jobPending || state.detached.Requested(); });
    if (!next || state.detached.Requested()) {
      state.workerAlive = false;
      return;
    }
    state.jobPending = false;
  }
}

void MSHTTPHelper::State::Detach() {
  detached.Request();
  std::lock_guard lock(jobMutex);
  jobReady.notify_all();
}

}  // namespace sl
