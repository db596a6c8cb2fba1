#include "tests/support/download_probe_win.h"

#include "base/text_win.h"
#include "base/window_messages.h"
#include "net/download_messages.h"

namespace sl::test {
namespace {
constexpr wchar_t kClass[] = L"SlDownloadProbe";
}

DownloadProbe::DownloadProbe() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  ::RegisterClassW(&wc);  // a second registration fails harmlessly
  // A hidden top-level window, as a minimised or covered installer would be.
  window_ = ::CreateWindowExW(0, kClass, L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              wc.hInstance, this);
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  helper_ = MSHTTPHelper::Init(window_);
}

DownloadProbe::~DownloadProbe() {
  helper_.reset();
  ::DestroyWindow(window_);
}

int64_t DownloadProbe::Run(const std::string& url, const std::wstring& savePath, DWORD timeoutMs,
                           uint64_t expectedSize, MSHTTPHelper::Content content) {
  events_.clear();
  finished_ = false;
  overlap_ = false;
  progressPending_ = false;
  helper_->StartDownload(url, Narrow(savePath), expectedSize, content);
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  MSG msg;
  while (!finished_ && ::GetTickCount64() < end) {
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&msg);
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
  // Let a late posted progress message arrive, so tests see everything that was sent.
  while (::PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  const auto codes = StatusCodes();
  return finished_ && !codes.empty() ? codes.back() : 0;
}

std::vector<int64_t> DownloadProbe::StatusCodes() const {
  std::vector<int64_t> codes;
  for (const auto& e : events_) {
    if (e.message == WM_DOWNLOAD_STATUS) codes.push_back(e.code);
  }
  return codes;
}

size_t DownloadProbe::ProgressCount() const {
  size_t count = 0;
  for (const auto& e : events_) count += e.message == WM_DOWNLOAD_PROGRESS;
  return count;
}

std::vector<const DownloadEvent*> DownloadProbe::RetryWaits() const {
  std::vector<const DownloadEvent*> waits;
  for (const auto& e : events_) {
    if (e.message == WM_DOWNLOAD_RETRY) waits.push_back(&e);
  }
  return waits;
}

const DownloadEvent* DownloadProbe::LastProgress() const {
  for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
    if (it->message == WM_DOWNLOAD_PROGRESS) return &*it;
  }
  return nullptr;
}

LRESULT CALLBACK DownloadProbe::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<DownloadProbe*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_DOWNLOAD_PROGRESS) {
    if (self->progressPending_) self->overlap_ = true;
    self->events_.push_back(
        {message, static_cast<int64_t>(wParam), static_cast<int64_t>(lParam), {}, ::GetTickCount64()});
    if (self->acknowledgeProgress) {
      self->helper_->ProgressTaken();
    } else {
      self->progressPending_ = true;
    }
    return 0;
  }
  if (message == WM_DOWNLOAD_RETRY) {
    self->events_.push_back(
        {message, static_cast<int64_t>(wParam), static_cast<int64_t>(lParam), {}, ::GetTickCount64()});
    return 0;
  }
  if (message == WM_DOWNLOAD_STATUS) {
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    self->events_.push_back(
        {message, static_cast<int64_t>(wParam), 0, text ? Narrow(text) : std::string(), ::GetTickCount64()});
    if (wParam == MDS_STATUS_DONE || wParam == MDS_STATUS_FAILED) {
      self->finished_ = true;
      if (self->progressPending_) {
        self->progressPending_ = false;
        self->helper_->ProgressTaken();
      }
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace sl::test
