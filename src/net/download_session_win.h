// The state a helper shares with its download thread, and the thread itself.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"
#include "diag/worker_win.h"
#include "net/download_messages.h"
#include "net/http_helper_win.h"
#include "net/http_rules.h"
#include "net/internet_request_win.h"
#include "net/transfer_rules.h"

namespace sl {

// Shared by the helper and its download thread, so the thread can outlive the helper safely.
struct MSHTTPHelper::State {
  HWND window = nullptr;
  // A helper that reports only the end of each download (a transfer beside the current file's):
  // `endMessage` is posted with `endTag` and 1 for a whole file or 0 for a failure, and nothing
  // else is sent. 0: the download messages.
  UINT endMessage = 0;
  WPARAM endTag = 0;
  std::wstring endText;  // what the last end said: the file name, or why it failed
  std::atomic<int32_t> status{MDS_STATUS_INITIALIZING};
  std::atomic<uint32_t> lastError{0};
  uint32_t statusCode = 0;
  UniqueInternet session;
  // How the last text fetch failed, and the Retry-After its answer carried.
  FailureKind failure = FailureKind::NoConnection;
  std::optional<uint64_t> retryAfterMs;
  std::string refusal;

  // The running download; written by StartDownload before its thread starts or takes it, then by
  // the thread.
  std::string url;
  std::string fileName;
  std::string savePath;
  uint64_t expectedSize = 0;    // the length the file must have; 0 = whatever the server says
  bool contentChecked = false;  // the receiver checks the file's MD5 once it is whole
  std::atomic<uint64_t> retryBudgetMs{kRetryBudgetMs};
  int64_t total = 0;
  int64_t downloaded = 0;
  std::string digest;  // of a checked file: written before its 1013, empty when it could not be read

  // Requested when the helper is destroyed (Detach): the thread then stops and sends nothing more.
  StopFlag detached;
  // The download thread serves the helper's files one after another: a file started while it is
  // still alive is handed to it.
  std::mutex jobMutex;
  std::condition_variable jobReady;
  bool workerAlive = false;
  bool jobPending = false;
  std::atomic<bool> progressInFlight{false};
  ULONGLONG lastProgressPost = 0;  // download thread only
  UniqueKernelHandle progressTaken{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};

  void ProgressTaken();
  // Stops the download thread's work and wakes it should it wait for a next file.
  void Detach();
  void SendStatus(int32_t code, const std::wstring& text);
  // Posts progress unless the window has not yet taken the previous message, or the last one left
  // less than 50 ms ago.
  void PostProgress(int64_t done, int64_t length);
  // Delivers a count synchronously, after any message still in flight, so it precedes what follows.
  void SendProgress(int64_t done, int64_t length);
  // WM_MD5_PROGRESS while the check of a whole file catches up with its last bytes.
  void PostCheckProgress(uint64_t hashed, uint64_t length);
};

// Reads the numeric HTTP status of an open request.
[[nodiscard]] bool QueryStatusCode(HINTERNET request, uint32_t& statusCode);

// A response header's value (HTTP_QUERY_CONTENT_LENGTH, ...), or none when it is missing.
[[nodiscard]] std::optional<std::string> QueryHeaderText(HINTERNET request, DWORD query);

// Starts the download on the helper's thread, started for it unless one is alive; if none can
// start, the window gets 1018 at once.
void StartDownloadThread(const std::shared_ptr<MSHTTPHelper::State>& state, std::string_view url,
                         std::string_view savePath, uint64_t expectedSize, bool contentChecked);

// The download thread's body: RunDownload for each file handed to it, until none comes for a while
// or the helper is gone.
void RunDownloads(MSHTTPHelper::State& state);

// The body of one file download's thread.
inline constexpr char kConnectionErrorText[] =
    "Lỗi kết nối đến máy chủ, xin vui lòng kiểm tra lại đường truyền mạng!";
inline constexpr char kFileInUseText[] = "Tệp tin đăng bị sử dụng. Vui lòng tắt chương trình thử lại sau!";

// Downloads state.url to state.savePath, resuming a partial file with a range request, and ends
// with WM_DOWNLOAD_STATUS 1013 or 1018. Returns 0 after 1013, else the error number. An exception
// (a buffer that cannot be allocated) is logged and ends the transfer with 1018 too.
int RunDownload(MSHTTPHelper::State& state);

}  // namespace sl
