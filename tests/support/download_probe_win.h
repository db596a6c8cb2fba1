// A hidden window that receives one download's messages and records them, for tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/http_helper_win.h"

namespace sl::test {

struct DownloadEvent {
  UINT message = 0;
  int64_t code = 0;  // status code, or bytes done for progress
  int64_t total = 0;
  std::string text;
  ULONGLONG tick = 0;  // GetTickCount64 when it arrived
};

class DownloadProbe {
 public:
  DownloadProbe();
  ~DownloadProbe();
  DownloadProbe(const DownloadProbe&) = delete;
  DownloadProbe& operator=(const DownloadProbe&) = delete;

  [[nodiscard]] HWND window() const { return window_; }
  MSHTTPHelper& helper() { return *helper_; }

  // Starts the download (expectedSize as StartDownload takes it) and pumps messages until 1013 or
  // 1018 arrives (or the timeout ends). Returns the final status code, or 0 on timeout.
  int64_t Run(const std::string& url, const std::wstring& savePath, DWORD timeoutMs = 120000,
              uint64_t expectedSize = 0, MSHTTPHelper::Content content = MSHTTPHelper::Content::Unchecked);

  const std::vector<DownloadEvent>& events() const { return events_; }
  [[nodiscard]] std::vector<int64_t> StatusCodes() const;
  [[nodiscard]] size_t ProgressCount() const;
  // The countdowns of the waits before tries again (WM_DOWNLOAD_RETRY: seconds left, kind).
  [[nodiscard]] std::vector<const DownloadEvent*> RetryWaits() const;
  [[nodiscard]] const DownloadEvent* LastProgress() const;
  // True when a progress message arrived before the previous one had been taken.
  [[nodiscard]] bool SawProgressOverlap() const { return overlap_; }
  // When false, the probe takes no progress message until the final status.
  bool acknowledgeProgress = true;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::unique_ptr<MSHTTPHelper> helper_;
  std::vector<DownloadEvent> events_;
  bool finished_ = false;
  bool progressPending_ = false;
  bool overlap_ = false;
};

}  // namespace sl::test
