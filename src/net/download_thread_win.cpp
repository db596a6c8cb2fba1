#include "net/download_session_win.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>
#include <vector>

#include "base/clock.h"
#include "base/text.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "diag/thread_entry.h"
#include "net/file_hasher_win.h"
#include "net/transfer_rules.h"
#include "net/retry_wait_win.h"

namespace sl {
namespace {

constexpr char kSource[] = "MSHTTPHelper::Download";
// RunDownload's result when an exception ended the transfer.
constexpr int kThrownErrorNumber = 13;

// The files the transfers of this process write. A stopped transfer lets go of its file only once
// its read in progress returns (up to the receive timeout on a stalled connection); a transfer of
// the same file started meanwhile, a resume right after a pause, waits for that rather than fail on
// the sharing violation or read a size the stopped one is still growing.
class FileClaim {
 public:
  FileClaim() = default;
  FileClaim(const FileClaim&) = delete;
  FileClaim& operator=(const FileClaim&) = delete;
  ~FileClaim() {
    if (path_.empty()) return;
    Claims& claims = AllClaims();
    std::lock_guard lock(claims.mutex);
    std::erase(claims.paths, path_);
    claims.released.notify_all();
  }

  // Waits until no other transfer writes `path`, then claims it; false when `stop` came first.
  [[nodiscard]] bool Take(const std::string& path, const StopFlag& stop) {
    std::wstring wide = Widen(path);
    ::CharUpperW(wide.data());  // one file whatever the case of its name
    Claims& claims = AllClaims();
    std::unique_lock lock(claims.mutex);
    for (bool logged = false; std::ranges::find(claims.paths, wide) != claims.paths.end();) {
      if (!logged) WriteLog(kSource, 0, "Chờ lượt tải trước của tệp dừng hẳn: " + path);
      logged = true;
      claims.released.wait_for(lock, std::chrono::milliseconds(100));
      if (stop.Requested()) return false;
    }
    claims.paths.push_back(wide);
    path_ = std::move(wide);
    return true;
  }

 private:
  struct Claims {
    std::mutex mutex;
    std::condition_variable released;
    std::vector<std::wstring> paths;
  };
  // Never destroyed: a transfer's thread may still end after the program's statics are gone.
  static Claims& AllClaims() {
    static Claims& claims = *new Claims;
    return claims;
  }

  std::wstring path_;
};

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

std::optional<ResumeRecord> ReadResumeRecord(const std::wstring& path) {
  const UniqueFile file = OpenFileForReading(path.c_str());
  if (!file) return std::nullopt;
  char buffer[kMaxResumeRecordBytes + 1];
  DWORD read = 0;
  if (!::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return std::nullopt;
  return ParseResumeRecord(std::string_view(buffer, read));
}

// Written once the file has been emptied for a whole answer, before its first byte lands (or, for a
// small checked file, once its transfer stops short), so a record never vouches for bytes of
// another build. A record that cannot be written is not left
// half-written: the file then only costs a whole fetch later.
bool WriteResumeRecord(const std::wstring& path, const ResumeRecord& record) {
  UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string text = FormatResumeRecord(record);
  if (!file || !WriteAll(file.get(), text.data(), static_cast<DWORD>(text.size()))) {
    const DWORD error = ::GetLastError();
    file.reset();
    ::DeleteFileW(path.c_str());
    WriteLog(kSource, error, Format("Không ghi được %s", Narrow(path).c_str()));
    return false;
  }
  return true;
}

// A failed try: why, and what the thread reports should it be the last.
struct AttemptFailure {
  FailureKind kind = FailureKind::NoConnection;
  int errorNumber = 0;  // the thread's result
  int32_t status = MDS_STATUS_FAILED;
  uint32_t code = 0;  // the system's error code, 0 when there is none
  std::wstring userText;
  std::optional<uint64_t> retryAfterMs;
};

class Download {
 public:
  explicit Download(MSHTTPHelper::State& state)
      : s_(state),
        retry_(state.endMessage != 0 ? nullptr : state.window, &state.detached),
        recordPath_(Widen(state.savePath + std::string(kResumeRecordSuffix))) {}
  int Run();

 private:
  // A failed step: the request and file are closed before the log line.
  AttemptFailure Failed(FailureKind kind, int errorNumber, int32_t status, uint32_t code,
                        const std::string& logText, std::wstring userText) {
    file_.reset();
    request_.reset();
    KeepRecordOnDisk();
    WriteLog(kSource, code, logText);
    return {kind, errorNumber, status, code, std::move(userText), std::nullopt};
  }

  // Ends the thread with 1018.
  int GiveUp(const AttemptFailure& failure) {
    s_.status = failure.status;
    s_.lastError = failure.code;
    s_.SendStatus(MDS_STATUS_FAILED, failure.userText);
    return failure.errorNumber;
  }

  void Finish() {
    file_.reset();
    request_.reset();
    // Its check ends here, off the window, a moment after the last byte.
    if (hasher_) {
      const auto length = static_cast<uint64_t>(s_.total);
      s_.digest = hasher_->Finish(length, [&](uint64_t hashed) { s_.PostCheckProgress(hashed, length); })
                      .value_or(std::string());
      hasher_.reset();  // its handle closed: the receiver may delete a file that failed its check
    }
    // A file whose content is checked next needs no record; one that is not keeps it, as the proof
    // that a later run may take the file as it is once the server still vouches for it.
    if (s_.contentChecked && recordOnDisk_) ::DeleteFileW(recordPath_.c_str());
    pendingRecord_.reset();
    s_.status = MDS_STATUS_DONE;
    s_.SendStatus(MDS_STATUS_DONE, Widen(s_.fileName));
  }

  // One request. None once the transfer ended (1013 sent) or the helper went away.
  std::optional<AttemptFailure> Attempt();
  std::optional<AttemptFailure> Transfer(const DownloadDecision& decision);
  InternetRequest OpenRequest(const RequestPlan& plan);
  void MarkProgress(uint64_t localSize, const DownloadDecision& decision, const std::string& build);
  // A record held back (a small checked file's) is written once its transfer stops short.
  void KeepRecordOnDisk() {
    if (!pendingRecord_) return;
    recordOnDisk_ = WriteResumeRecord(recordPath_, *pendingRecord_);
    pendingRecord_.reset();
  }
  void NoteNewBytes();

  FileClaim claim_;  // first, so it is let go of last, after the file, the record and the hasher
  MSHTTPHelper::State& s_;
  WinRetryEnv retry_;
  const std::wstring recordPath_;
  bool recordOnDisk_ = false;  // as far as this thread knows
  // A small file checked next is usually whole a moment after its first byte: its record is
  // written only should the transfer stop short, which saves it most of its file operations.
  std::optional<ResumeRecord> pendingRecord_;
  InternetRequest request_;
  UniqueFile file_;
  std::unique_ptr<FileHasher> hasher_;  // for a file whose MD5 the receiver checks
  // The retry budget: failed tries and time since the last new byte. A byte is new past the
  // furthest this thread got with one build of the file, so a server that answers every resume
  // with the whole file again cannot keep a cut-short transfer going for ever.
  int attemptsSinceNewByte_ = 0;
  uint64_t lastNewByteMs_ = 0;
  int64_t progressMark_ = -1;  // none before the first answer
  std::string markBuild_;      // the validator of the build progressMark_ counts in
};

int Download::Run() {
  if (s_.status != MDS_STATUS_INITIALIZING) {
    WriteLog(kSource, 0,
             Format("[ERR-1] Sai trạng thái khởi tạo (MDS_STATUS=%d), URL: %s", static_cast<int>(s_.status),
                    s_.url.c_str()));
    s_.SendStatus(MDS_STATUS_FAILED, Widen(kConnectionErrorText));
    return 1;
  }
  s_.SendStatus(MDS_STATUS_PREPARING, Widen(s_.fileName));
  if (!claim_.Take(s_.savePath, s_.detached)) return 0;
  if (s_.contentChecked) hasher_ = std::make_unique<FileHasher>(Widen(s_.savePath));
  lastNewByteMs_ = retry_.SteadyMs();
  // A network that drops or a server that is busy comes back: wait for it, as long as it keeps
  // giving new bytes now and then, and resume from what is on disk.
  for (;;) {
    const std::optional<AttemptFailure> failure = Attempt();
    if (!failure || s_.detached.Requested()) return 0;
    ++attemptsSinceNewByte_;
    const uint64_t sinceNewByte = retry_.SteadyMs() - lastNewByteMs_;
    const RetryDecision decision = DecideRetry({failure->kind, attemptsSinceNewByte_, sinceNewByte,
                                                failure->retryAfterMs, retry_.Jitter(), s_.retryBudgetMs});
    if (!decision.retry) {
      if (IsTransient(failure->kind)) {
        WriteLog(
            kSource, failure->code,
            Format("Dừng tải sau %llu giây không nhận được dữ liệu mới, đã tải: %lld / %lld bytes, URL: %s",
                   static_cast<unsigned long long>(sinceNewByte / 1000),
                   static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total), s_.url.c_str()));
      }
      return GiveUp(*failure);
    }
    WriteLog(kSource, 0,
             Format("Thử lại lần %d sau %llu ms (%s), đã tải: %lld / %lld bytes, URL: %s",
                    attemptsSinceNewByte_, static_cast<unsigned long long>(decision.delayMs),
                    std::string(FailureText(failure->kind)).c_str(), static_cast<long long>(s_.downloaded),
                    static_cast<long long>(s_.total), s_.url.c_str()));
    if (!retry_.WaitToRetry(decision.delayMs, failure->kind)) return 0;
  }
}

InternetRequest Download::OpenRequest(const RequestPlan& plan) {
  // Resume by asking for the missing bytes: WinINet cannot position a response body itself. If-Range
  // makes the server send the whole file instead should it have changed since the first bytes.
  std::wstring headers;
  if (plan.rangeFrom) {
    headers = Widen(Format("Range: bytes=%llu-\r\n", static_cast<unsigned long long>(*plan.rangeFrom)));
    if (!plan.ifRange.empty()) headers += Widen("If-Range: " + plan.ifRange + "\r\n");
  }
  return InternetRequest::Open(s_.session.get(), s_.url, headers);
}

std::optional<AttemptFailure> Download::Attempt() {
  const char* url = s_.url.c_str();
  const std::wstring connectionText = Widen(kConnectionErrorText);
  const std::wstring savePath = Widen(s_.savePath);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  const bool exists = ::GetFileAttributesExW(savePath.c_str(), GetFileExInfoStandard, &attributes) &&
                      !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  const uint64_t localSize =
      exists ? (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow : 0;
  // Beside a missing file a record vouches for nothing.
  const std::optional<ResumeRecord> record = exists ? ReadResumeRecord(recordPath_) : std::nullopt;
  recordOnDisk_ = record.has_value();
  RequestPlan plan = PlanRequest(exists, localSize, record, s_.url, s_.contentChecked);
  if (plan.discard) {
    WriteLog(kSource, 0,
             Format("Tệp có sẵn (%llu bytes) không rõ từ bản nào trên máy chủ, tải lại từ đầu: %s",
                    static_cast<unsigned long long>(localSize), s_.savePath.c_str()));
  }

  DownloadDecision decision;
  std::optional<uint64_t> retryAfterMs;
  std::string validator;
  for (bool retried = false;; retried = true) {
    retryAfterMs.reset();
    request_ = OpenRequest(plan);
    if (const auto& refused = request_.refused()) {
      s_.lastError = 0;
      return Failed(FailureKind::RequestFailed, 2, MDS_STATUS_INIT_FAILED, 0, "[ERR-2] " + refused->LogText(),
                    Widen(refused->UserText()));
    }
    if (!request_) {
      s_.lastError = ::GetLastError();
      return Failed(KindOfRequestError(s_.lastError), 2, MDS_STATUS_INIT_FAILED, s_.lastError,
                    Format("[ERR-2] InternetOpenUrlW thất bại, URL: %s", url), connectionText);
    }
    if (!QueryStatusCode(request_.get(), s_.statusCode)) {
      s_.lastError = ::GetLastError();
      return Failed(KindOfRequestError(s_.lastError), 3, MDS_STATUS_FAILED, s_.lastError,
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
    answer.etag = QueryHeaderText(request_.get(), HTTP_QUERY_ETAG).value_or(std::string());
    answer.lastModified = QueryHeaderText(request_.get(), HTTP_QUERY_LAST_MODIFIED).value_or(std::string());
    if (auto retryAfter = QueryHeaderText(request_.get(), HTTP_QUERY_RETRY_AFTER)) {
      retryAfterMs = ParseRetryAfter(*retryAfter, static_cast<int64_t>(NowSeconds()));
    }
    validator = ChooseValidator(answer.etag, answer.lastModified);
    decision = DecideDownload(exists, localSize, plan.rangeFrom, answer, s_.expectedSize, plan.ifRange);
    const bool again =
        decision.action == DownloadAction::RestartWhole || decision.action == DownloadAction::Republished;
    if (!again || retried) break;
    WriteLog(kSource, 0,
             decision.action == DownloadAction::RestartWhole
                 ? Format("Tệp tải dở dài hơn tệp trên máy chủ (%llu bytes), tải lại từ đầu, URL: %s",
                          static_cast<unsigned long long>(localSize), url)
                 : Format("Máy chủ gửi phần tiếp của một bản khác của tệp, tải lại từ đầu, URL: %s", url));
    plan = {};
  }

  switch (decision.action) {
    case DownloadAction::WriteBody:
    case DownloadAction::AlreadyComplete:
      break;
    case DownloadAction::MissingLength:
      s_.lastError = ERROR_HTTP_HEADER_NOT_FOUND;
      s_.total = 0;
      return Failed(FailureKind::BadAnswer, 5, MDS_STATUS_FAILED, s_.lastError,
                    Format("[ERR-5] HttpQueryInfo (Content-Length) thất bại, URL: %s", url), connectionText);
    case DownloadAction::WrongRange:
      s_.lastError = ERROR_HTTP_INVALID_HEADER;
      return Failed(FailureKind::BadAnswer, 8, MDS_STATUS_FAILED, s_.lastError,
                    Format("[ERR-8] InternetSetFilePointer thất bại, offset: %llu, URL: %s",
                           static_cast<unsigned long long>(plan.rangeFrom.value_or(0)), url),
                    Widen(kFileInUseText));
    case DownloadAction::WrongLength:
      s_.lastError = 0;
      return Failed(FailureKind::BadAnswer, 12, MDS_STATUS_FAILED, 0,
                    Format("Tệp trên máy chủ dài %llu bytes, danh sách ghi %llu bytes: không tải, URL: %s",
                           static_cast<unsigned long long>(decision.total),
                           static_cast<unsigned long long>(s_.expectedSize), url),
                    connectionText);
    case DownloadAction::HttpError:
    case DownloadAction::RestartWhole:
    case DownloadAction::Republished: {
      s_.lastError = 0;
      AttemptFailure failure =
          Failed(KindOfStatus(s_.statusCode), 4, MDS_STATUS_HTTP_ERROR, 0,
                 Format("[ERR-4] HTTP lỗi %u, URL: %s", s_.statusCode, url), connectionText);
      failure.retryAfterMs = retryAfterMs;
      return failure;
    }
  }
  s_.total = static_cast<int64_t>(decision.total);

  // Shared with readers only: the hasher reads what is written, nobody else may write.
  file_.reset(::CreateFileW(savePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            exists ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    const DWORD code = ::GetLastError();
    s_.lastError = code;
    return Failed(FailureKind::LocalFile, 6, MDS_STATUS_FAILED, code,
                  Format("[ERR-6] CreateFileW thất bại, lưu tại: %s, URL: %s", s_.savePath.c_str(), url),
                  SystemErrorTextOrFallback(code));
  }
  if (exists) {
    LARGE_INTEGER size{};
    const bool sized = ::GetFileSizeEx(file_.get(), &size);
    // A size that changed since it was read means another writer: do not mix its bytes with ours.
    if (!sized || static_cast<uint64_t>(size.QuadPart) != localSize) {
      s_.lastError = sized ? ERROR_SHARING_VIOLATION : ::GetLastError();
      return Failed(FailureKind::LocalFile, 7, MDS_STATUS_FAILED, s_.lastError,
                    Format("[ERR-7] GetFileSizeEx thất bại, file đang bị khóa: %s", s_.savePath.c_str()),
                    Widen(kFileInUseText));
    }
  }

  if (decision.action == DownloadAction::AlreadyComplete) {
    s_.downloaded = static_cast<int64_t>(localSize);
    if (hasher_) hasher_->WritingFrom(localSize);  // hashed from disk, as it stands
    s_.SendProgress(s_.downloaded, s_.total);
    Finish();
    return std::nullopt;
  }
  // A whole answer replaces the record as it replaces the file: first the old one goes, then the
  // file is emptied, then the new record is written. A resume keeps the record it was asked under.
  const bool fromStart = decision.writeOffset == 0;
  if (fromStart && recordOnDisk_) {
    ::DeleteFileW(recordPath_.c_str());
    recordOnDisk_ = false;
  }
  if (!SeekTo(file_.get(), decision.writeOffset, decision.truncate)) {
    const DWORD code = ::GetLastError();
    s_.lastError = code;
    return Failed(FailureKind::LocalFile, 8, MDS_STATUS_FAILED, code,
                  Format("[ERR-8] InternetSetFilePointer thất bại, offset: %llu, URL: %s",
                         static_cast<unsigned long long>(decision.writeOffset), url),
                  Widen(kFileInUseText));
  }
  if (fromStart) {
    if (s_.contentChecked && IsSmallFile(s_.expectedSize)) {
      pendingRecord_ = ResumeRecord{s_.url, validator};
    } else {
      recordOnDisk_ = WriteResumeRecord(recordPath_, {s_.url, validator});
    }
  }
  if (decision.truncate) {
    WriteLog(kSource, 0,
             Format("Tải lại toàn bộ tệp (%llu bytes trên máy được ghi đè), URL: %s",
                    static_cast<unsigned long long>(localSize), url));
  }
  MarkProgress(localSize, decision, validator);
  if (hasher_) hasher_->WritingFrom(decision.writeOffset);
  return Transfer(decision);
}

void Download::MarkProgress(uint64_t localSize, const DownloadDecision& decision, const std::string& build) {
  // What a first resume finds on disk is not new, nor the one byte it fetches again; a first whole
  // answer is new from its first byte, and so is any later one of another build.
  const bool fromStart = decision.writeOffset == 0;
  if (progressMark_ < 0) {
    progressMark_ = fromStart ? 0 : static_cast<int64_t>(localSize);
  } else if (fromStart && build != markBuild_) {
    progressMark_ = 0;
  }
  if (fromStart) markBuild_ = build;
}

void Download::NoteNewBytes() {
  if (s_.downloaded <= progressMark_) return;
  progressMark_ = s_.downloaded;
  lastNewByteMs_ = retry_.SteadyMs();
  attemptsSinceNewByte_ = 0;
}

std::optional<AttemptFailure> Download::Transfer(const DownloadDecision& decision) {
  const char* url = s_.url.c_str();
  s_.downloaded = static_cast<int64_t>(decision.writeOffset);
  s_.status = MDS_STATUS_DOWNLOADING;
  s_.SendStatus(MDS_STATUS_DOWNLOADING, Widen(s_.fileName));

  // No read asks for more than is left: a small file's buffer is only as large as the file.
  std::vector<char> buffer(
      static_cast<size_t>(std::min<uint64_t>(kMaxReadBytes, decision.total - decision.writeOffset)));
  DWORD readError = 0;
  const auto started = std::chrono::steady_clock::now();
  const auto secondsSinceStart = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  ReadSizer sizer(0.0);
  // Never past the announced length: a server sending more cannot grow the file.
  while (!s_.detached.Requested() && s_.downloaded < s_.total) {
    // Under the player's cap a read takes a sixteenth of a second of it, a quarter at most.
    const uint32_t size = CappedReadBytes(sizer.Next(), DownloadLimitKBps());
    const auto wanted =
        static_cast<DWORD>(std::min<uint64_t>(size, static_cast<uint64_t>(s_.total - s_.downloaded)));
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
      return Failed(FailureKind::LocalFile, 9, MDS_STATUS_FAILED, code,
                    Format("[ERR-9] WriteFile thất bại, đã tải: %lld / %lld bytes, file: %s",
                           static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total),
                           s_.savePath.c_str()),
                    SystemErrorTextOrFallback(code));
    }
    s_.downloaded += read;
    if (hasher_) hasher_->Written(static_cast<uint64_t>(s_.downloaded));
    NoteNewBytes();
    s_.PostProgress(s_.downloaded, s_.total);
    // The cap is shared by every transfer of the process; a stop cuts the wait short.
    if (!WaitForDownloadBudget(read, s_.detached)) break;
  }
  if (s_.detached.Requested()) {
    file_.reset();
    request_.reset();
    KeepRecordOnDisk();
    return std::nullopt;
  }

  if (s_.total > 0) s_.SendProgress(s_.downloaded, s_.total);
  if (s_.downloaded == s_.total) {
    Finish();
    return std::nullopt;
  }
  // Cut short: the file keeps what arrived, and the next try resumes from it.
  const std::wstring connectionText = Widen(kConnectionErrorText);
  if (readError != 0) {
    return Failed(FailureKind::CutShort, 10, MDS_STATUS_FAILED, readError,
                  Format("[ERR-10] InternetReadFile thất bại giữa chừng, đã tải: %lld / %lld bytes, URL: %s",
                         static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total), url),
                  connectionText);
  }
  return Failed(FailureKind::CutShort, 11, MDS_STATUS_FAILED, 0,
                Format("[ERR-11] Download không đủ dữ liệu, đã tải: %lld / %lld bytes, URL: %s",
                       static_cast<long long>(s_.downloaded), static_cast<long long>(s_.total), url),
                connectionText);
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
