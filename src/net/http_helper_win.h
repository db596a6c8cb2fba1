// The program's HTTP client for the download server: one WinINet session offering a text fetch
// and a resumable background download that reports to a window by messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sl {

class MSHTTPHelper {
 public:
  // Opens the session. A helper whose session failed stays usable: it reports 1019 and every
  // later call fails. `notifyWindow` receives the download messages; null for text fetches.
  static std::unique_ptr<MSHTTPHelper> Init(HWND notifyWindow);

  // Stops a running download from talking to the window and lets its thread end on its own
  // (the thread keeps what it uses alive), then closes the session.
  ~MSHTTPHelper();
  MSHTTPHelper(const MSHTTPHelper&) = delete;
  MSHTTPHelper& operator=(const MSHTTPHelper&) = delete;

  // Fetches one small text resource, decoded from UTF-8 as a whole. One call per helper: a
  // second call fails the state check.
  [[nodiscard]] bool GetTextFromUrlW(std::string_view url, std::wstring& text);

  // Downloads `url` to `savePath` on a new thread, resuming a partial file, and reports to the
  // notification window: WM_DOWNLOAD_STATUS 1020, 1011, then WM_DOWNLOAD_PROGRESS, then 1013 or
  // 1018. 1013 means the whole file is on disk: a transfer cut short is resumed a few times and
  // then fails. `expectedSize`, when not 0, is the only length accepted. The previous download
  // must have sent its final status.
  void StartDownload(std::string_view url, std::string_view savePath, uint64_t expectedSize = 0);

  // A receiver of WM_DOWNLOAD_PROGRESS calls this when it handles one: progress is posted again
  // only after the previous message was taken, so a fast transfer cannot flood the queue.
  void ProgressTaken();

  [[nodiscard]] bool IsCompleted() const;
  [[nodiscard]] int32_t Status() const;
  [[nodiscard]] uint32_t LastError() const;
  [[nodiscard]] uint32_t StatusCode() const;

  struct State;

 private:
  explicit MSHTTPHelper(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
};

}  // namespace sl
