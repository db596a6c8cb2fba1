#include "net/download_thread_win.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>
#include <vector>

#include "base/format.h"
#include "base/system_message_win.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "diag/thread_entry.h"

namespace sl {
namespace {

constexpr char kSource[] = "MSHTTPHelper::Download";
// RunDownload's result when an exception ended the transfer.
constexpr int kThrownErrorNumber = 13;

InternetRequest OpenRequest(const MSHTTPHelper::State& s, std::optional<uint64_t> rangeFrom) {
  // Resume by asking for the missing bytes: WinINet cannot position a response body itself.
  std::wstring headers;
  if (rangeFrom)
    headers = Widen(Format("Range: bytes=%llu-\r\n", static_cast<unsigned long long>(*rangeFrom)));
  return InternetRequest::Open(s.session.get(), s.url, headers);
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool SeekTo(HANDLE file, uint64_t offset, bool truncate) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
  return !truncate || ::SetEndOfFile(file);
}

class Download {
 public:
  explicit Download(MSHTTPHelper::State& state) : s_(state) {}
  int Run();

 private:
  // Ends the thread with 1018 after a failed step; the request is closed before the log line.
  int Fail(int errorNumber, int32_t status, uint32_t code, const std::string& logText,
           const std::wstring& userText) {
    file_.reset();
    request_.reset();
    s_.status = status;
    WriteLog(kSource, code, logText);
    s_.SendStatus(MDS_STATUS_FAILED, userText);
    return errorNumber;
  }

  int Finish() {
    file_.reset();
    request_.reset();
    s_.status = MDS_STATUS_DONE;
    s_.SendStatus(MDS_STATUS_DONE, Widen(s_.fileName));
    return 0;
  }

  // One request. The thread's result once it has sent its final status (or was detached); none
  // when the body was cut short and the file waits to be resumed.
  std::optional<int> Attempt();
  std::optional<int> Transfer();

  MSHTTPHelper::State& s_;
  InternetRequest request_;
  UniqueFile file_;
  DWORD cutError_ = 0;  // why the last transfer was cut: a read's system error, or 0 for a short body
};

int Download::Run() {
  if (s_.status != MDS_STATUS_INITIALIZING) {
    return Fail(1, s_.status, 0,
                Format("[ERR-1] Sai trạng thái khởi tạo (MDS_STATUS=%d), URL: %s",
                       static_cast<int>(s_.status), s_.url.c_str()),
                Widen(kConnectionErrorText));
  }
  s_.SendStatus(MDS_STATUS_PREPARING, Widen(s_.fileName));
  // A cut transfer is no reason to start over, nor a file to hand on: resume it from what is on
  // disk, pausing a little longer each time for a network that is coming back.
  for (int attempt = 1;; ++attempt) {
    if (const std::optional<int> result = Attempt()) return *result;
    if (attempt > kResumeAttempts) {
      s_.lastError = cutError_;
      return Fail(cutError_ != 0 ? 10 : 11, MDS_STATUS_FAILED, cutError_,
                  Format("Dừng tải sau %d lần tải tiếp không trọn, đã tải: %lld / %lld bytes, URL: %s",
                         kResumeAttempts, static_cast<long long>(s_.downloaded),
                         static_cast<long long>(s_.total), s_.url.c_str()),
                  Widen(kConnectionErrorText));
    }
    const uint32_t pause = ResumePauseMs(attempt);
    WriteLog(kSource, 0,
             Format("Tải tiếp lần %d/%d sau %u ms, đã tải: %lld / %lld bytes, URL: %s", attempt,
                    kResumeAttempts, pause, static_cast<long long>(s_.downloaded),
                    static_cast<long long>(s_.total), s_.url.c_str()));
    if (s_.WaitDetached(pause)) return 0;
  }
}

std::optional<int> Download::Attempt() {
  const char* url = s_.url.c_str();
  const std::wstring connectionText = Widen(kConnectionErrorText);
  const std::wstring savePath = Widen(s_.savePath);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  const bool exists = ::GetFileAttributesExW(savePath.c_str(), GetFileExInfoStandard, &attributes) &&
                      !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  const uint64_t localSize =
      exists ? (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow : 0;
  std::optional<uint64_t> rangeFrom = ResumeOffset(exists, localSize);

  DownloadDecision decision;
  for (bool retried = false;; retried = true) {
    request_ = OpenRequest(s_, rangeFrom);
    if (!request_) {
      s_.lastError = ::GetLastError();
      return Fail(2, MDS_STATUS_INIT_FAILED, s_.lastError,
                  Format("[ERR-2] InternetOpenUrlW thất bại, URL: %s", url), connectionText);
    }
    if (!QueryStatusCode(request_.get(), s_.statusCode)) {
      s_.lastError = ::GetLastError();
      return Fail(3, MDS_STATUS_FAILED, s_.lastError,
                  Format("[ERR-3] HttpQueryInfo (status code) thất bại, URL: %s", url), connectionText);
    }
    ServerAnswer answer;
    answer.status = static_cast<int>(s_.statusCode);
    if (auto length = QueryHeaderText(request_.get(), HTTP_QUERY_CONTENT_LENGTH)) {
      answer.contentLength = ParseContentLength(*length);
    }
    if (auto range = QueryHeaderText(request_.get(), HTTP_QUERY_CONTENT_RANGE)) {
      answer.contentRange = ParseContentRange(*range);
    }
    decision = DecideDownload(exists, localSize, rangeFrom, answer, s_.expectedSize);
    if (decision.action != DownloadAction::RestartWhole || retried) break;
    // The partial file is longer than the remote one: it is stale, so fetch the file whole.
    WriteLog(kSource, 0,
             Format("Tệp tải dở dài hơn tệp trên máy chủ (%llu bytes), tải lại từ đầu, URL: %s",
                    static_cast<unsigned long long>(localSize), url));
    rangeFrom.reset();
  }

  switch (decision.action) {
    case DownloadAction::WriteBody:
    case DownloadAction::AlreadyComplete:
      break;
    case DownloadAction::MissingLength:
      s_.lastError = ERROR_HTTP_HEADER_NOT_FOUND;
      s_.total = 0;
      return Fail(5, MDS_STATUS_FAILED, s_.lastError,
                  Format("[ERR-5] HttpQueryInfo (Content-Length) thất bại, URL: %s", url), connectionText);
    case DownloadAction::WrongRange:
      s_.lastError = ERROR_HTTP_INVALID_HEADER;
      return Fail(8, MDS_STATUS_FAILED, s_.lastError,
                  Format("[ERR-8] InternetSetFilePointer thất bại, offset: %llu, URL: %s",
                         static_cast<unsigned long long>(rangeFrom.value_or(0)), url),
                  Widen(kFileInUseText));
    case DownloadAction::WrongLength:
      s_.lastError = 0;
      return Fail(12, MDS_STATUS_FAILED, 0,
                  Format("Tệp trên máy chủ dài %llu bytes, danh sách ghi %llu bytes: không tải, URL: %s",
                         static_cast<unsigned long long>(decision.total),
                         static_cast<unsigned long long>(s_.expectedSize), url),
                  connectionText);
    case DownloadAction::HttpError:
    case DownloadAction::RestartWhole:
      s_.lastError = 0;
      return Fail(4, MDS_STATUS_HTTP_ERROR, 0, Format("[ERR-4] HTTP lỗi %u, URL: %s", s_.statusCode, url),
                  connectionText);
  }
  s_.total = static_cast<int64_t>(decision.total);

  file_.reset(::CreateFileW(savePath.c_str(), GENERIC_WRITE, 0, nullptr, exists ? OPEN_EXISTING : OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    const DWORD code = ::GetLastError();
    s_.lastError = code;
    return Fail(6, MDS_STATUS_FAILED, code,
                Format("[ERR-6] CreateFileW thất bại, lưu tại: %s, URL: %s", s_.savePath.c_str(), url),
                SystemErrorTextOrFallback(code));
  }
  if (exists) {
    LARGE_INTEGER size{};
    const bool sized = ::GetFileSizeEx(file_.get(), &size);
    // A size that changed since it was read means another writer: do not mix its bytes with ours.
    if (!sized || static_cast<uint64_t>(size.QuadPart) != localSize) {
      s_.lastError = sized ? ERROR_SHARING_VIOLATION : ::GetLastError();
      return Fail(7, MDS_STATUS_FAILED, s_.lastError,
                  Format("[ERR-7] GetFileSizeEx thất bại, file đang bị khóa: %s", s_.savePath.c_str()),
                  Widen(kFileInUseText));
    }
  }

  if (decision.action == DownloadAction::AlreadyComplete) {
    s_.downloaded = static_cast<int64_t>(localSize);
    s_.SendProgress(s_.downloaded, s_.total);
    return Finish();
  }
  if (!SeekTo(file_.get(), decision.writeOffset, decision.truncate)) {
    const DWORD code = ::GetLastError();
    s_.lastError = code;
    return Fail(8, MDS_STATUS_FAILED, code,
                Format("[ERR-8] InternetSetFilePointer thất bại, offset: %llu, URL: %s",
                       static_cast<unsigned long long>(decision.writeOffset), url),
                Widen(kFileInUseText));
  }
  s_.downloaded = static_cast<int64_t>(decision.writeOffset);
  return Transfer();
}

std::optional<int> Download::Transfer() {
  const char* url = s_.url.c_str();
  s_.status = MDS_STATUS_DOWNLOADING;
  s_.SendStatus(MDS_STATUS_DOWNLOADING, Widen(s_.fileName));

  std::vector<char> buffer(kMaxReadBytes);
  DWORD readError = 0;
  const auto started = std::chrono::steady_clock::now();
  const auto secondsSinceStart = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  ReadSizer sizer(0.0);
  // Never past the announced length: a server sending more cannot grow the file.
  while (!s_.detached && s_.downloaded < s_.total) {
    const auto wanted =
        static_cast<DWORD>(std::min<uint64_t>(sizer.Next(), static_cast<uint64_t>(s_.total - s_.downloaded)));
    DWORD read = 0;
    if (!::InternetReadFile(request_.get(), buffer.data(), wanted, &read)) {
      readError = ::GetLastError();
      break;
    }
    if (read == 0) break;
    sizer.Record(read, secondsSinceStart());
    if (!WriteAll(file_.get(), buffer.data(), read)) {
      // Going on would leave a hole in the file; stop and say why (a full disk, usually).
      const DWORD code = ::GetLastError();
      s_.lastError = code;
      return Fail(9, MDS_STATUS_FAILED, code,
                  Format("[ERR-9] WriteFile thất bại, đã tải: %lld / %lld bytes, file: %s",
                         static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total),
                         s_.savePath.c_str()),
                  SystemErrorTextOrFallback(code));
    }
    s_.downloaded += read;
    s_.PostProgress(s_.downloaded, s_.total);
  }
  if (s_.detached) {
    file_.reset();
    request_.reset();
    return 0;
  }

  if (s_.total > 0) s_.SendProgress(s_.downloaded, s_.total);
  if (s_.downloaded == s_.total) return Finish();
  file_.reset();
  request_.reset();
  cutError_ = readError;
  if (readError != 0) {
    WriteLog(kSource, readError,
             Format("[ERR-10] InternetReadFile thất bại giữa chừng, đã tải: %lld / %lld bytes, URL: %s",
                    static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total), url));
  } else {
    WriteLog(kSource, 0,
             Format("[ERR-11] Download không đủ dữ liệu, đã tải: %lld / %lld bytes, URL: %s",
                    static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total), url));
  }
  return std::nullopt;
}

}  // namespace

int RunDownload(MSHTTPHelper::State& state) {
  int result = kThrownErrorNumber;
  if (RunThreadEntry(kSource, [&] { result = Download(state).Run(); })) return result;
  // The transfer ends as a failed step ends it (the request and file were closed by the unwinding),
  // or the window would wait for a status that never comes.
  state.status = MDS_STATUS_FAILED;
  try {
    state.SendStatus(MDS_STATUS_FAILED, Widen(kConnectionErrorText));
  } catch (const std::bad_alloc&) {
    state.SendStatus(MDS_STATUS_FAILED, std::wstring());  // no memory even for the text
  }
  return result;
}

}  // namespace sl
