// The program's HTTP client for the download server: one WinINet session offering a text fetch
// and a resumable background download that reports to a window by messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "diag/worker_win.h"
#include "net/transfer_rules.h"

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
  // second call fails the state check. After a failure, Failure() tells whether asking again may
  // help, and RetryAfterMs() what the server asked for.
  [[nodiscard]] bool GetTextFromUrlW(std::string_view url, std::wstring& text);

  // Downloads `url` to `savePath` on a new thread, resuming a partial file, and reports to the
  // notification window: WM_DOWNLOAD_STATUS 1020, 1011, then WM_DOWNLOAD_PROGRESS, then 1013 or
  // 1018, and WM_DOWNLOAD_RETRY while it waits to try again. 1013 means the whole file is on disk:
  // transient failures are tried again (transfer_rules.h) until ten minutes pass without a new byte.
  // `expectedSize`, when not 0, is the only length accepted. A file whose content the receiver
  // checks (Content::Checked) may be resumed without the server's word that it is unchanged. The
  // previous download must have sent its final status.
  enum class Content { Unchecked, Checked };
  void StartDownload(std::string_view url, std::string_view savePath, uint64_t expectedSize = 0,
                     Content content = Content::Unchecked);

  // From now on the downloads report only their end: `message` is posted to the notification
  // window with `tag` as wParam and lParam 1 once the whole file is on disk, 0 when it failed;
  // EndText() then says why, as 1018 would have.
  void ReportOnlyTheEnd(UINT message, WPARAM tag);
  [[nodiscard]] std::string EndText() const;

  // How long the downloads of this helper try again without a new byte (kRetryBudgetMs unless
  // told): for a caller that cannot wait so long.
  void SetRetryBudget(uint64_t ms);

  // A receiver of WM_DOWNLOAD_PROGRESS calls this when it handles one: progress is posted again
  // only after the previous message was taken, so a fast transfer cannot flood the queue.
  void ProgressTaken();

  [[nodiscard]] bool IsCompleted() const;
  [[nodiscard]] int32_t Status() const;
  [[nodiscard]] uint32_t LastError() const;
  [[nodiscard]] uint32_t StatusCode() const;
  [[nodiscard]] FailureKind Failure() const;
  // The MD5 of the last file downloaded with Content::Checked, taken as it was written; valid from
  // its 1013 on, empty when the file could not be read back.
  [[nodiscard]] const std::string& Digest() const;
  [[nodiscard]] std::optional<uint64_t> RetryAfterMs() const;
  // The player's text when the program itself refused the fetch (a clear-text URL or redirect).
  [[nodiscard]] const std::string& RefusedText() const;

  struct State;

 private:
  explicit MSHTTPHelper(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
};

// One GET of a text with a short-lived helper, failures logged by it.
[[nodiscard]] FetchedText FetchTextOnce(std::string_view url);

// A text fetched again after transient failures for up to `budgetMs` (transfer_rules.h); the waits
// count down on `window` (may be null) and end on `stop` (may be null). None when it could not be
// had. Off the window's thread: it may take minutes.
[[nodiscard]] std::optional<std::string> FetchTextWithRetries(const std::string& url, HWND window,
                                                              const StopFlag* stop, uint64_t budgetMs,
                                                              std::string_view logSource);

// The record a download keeps beside `savePath`; removed with a file that is discarded or moved.
void RemoveResumeRecord(std::string_view savePath);

}  // namespace sl
