#include "net/http_helper_win.h"

#include <utility>

#include "base/clock.h"
#include "base/text.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "net/download_session_win.h"
#include "net/internet_request_win.h"
#include "net/retry_wait_win.h"

namespace sl {
namespace {

constexpr char kSource[] = "MSHTTPHelper ";
constexpr DWORD kTextChunkBytes = 1024;

struct BodyProblem {
  std::string text;
  FailureKind kind = FailureKind::BadAnswer;
};

// Why a text body cannot be used; none when `body` holds all of it. A text cut short is no text: a
// file list that lost its last lines would install part of a release.
std::optional<BodyProblem> ReadWholeBody(HINTERNET request, std::string& body, DWORD& readError) {
  std::optional<uint64_t> announced;
  if (const auto length = QueryHeaderText(request, HTTP_QUERY_CONTENT_LENGTH)) {
    announced = ParseContentLength(*length);
    if (!announced) return BodyProblem{"Content-Length không hợp lệ: " + *length};
  }
  const auto limit = static_cast<unsigned long long>(kMaxTextBytes);
  if (announced > kMaxTextBytes) {
    return BodyProblem{Format("nội dung %llu bytes, quá giới hạn %llu bytes",
                              static_cast<unsigned long long>(*announced), limit)};
  }
  char chunk[kTextChunkBytes];
  for (DWORD read = 0;;) {
    if (!::InternetReadFile(request, chunk, sizeof(chunk), &read)) {
      readError = ::GetLastError();
      return BodyProblem{
          Format("InternetReadFile thất bại sau %llu bytes", static_cast<unsigned long long>(body.size())),
          FailureKind::CutShort};
    }
    if (read == 0) break;
    if (body.size() + read > kMaxTextBytes)
      return BodyProblem{Format("nội dung quá giới hạn %llu bytes", limit)};
    body.append(chunk, read);
  }
  if (announced && body.size() != *announced) {
    return BodyProblem{
        Format("nội dung dừng ở %llu / %llu bytes", static_cast<unsigned long long>(body.size()),
               static_cast<unsigned long long>(*announced)),
        FailureKind::CutShort};
  }
  return std::nullopt;
}

// WinINet keeps two connections to a server unless told; small files go several at a time, with a
// list fetch beside them.
void AllowParallelConnections() {
  static const bool allowed = [] {
    DWORD connections = kSmallFilesInFlight + 2;
    ::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof(connections));
    ::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections,
                         sizeof(connections));
    return true;
  }();
  static_cast<void>(allowed);
}

}  // namespace

MSHTTPHelper::MSHTTPHelper(std::shared_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<MSHTTPHelper> MSHTTPHelper::Init(HWND notifyWindow) {
  AllowParallelConnections();
  auto state = std::make_shared<State>();
  state->window = notifyWindow;
  state->session.reset(::InternetOpenW(L"FileDownloader", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!state->session) {
    state->lastError = ::GetLastError();
    WriteLog("MSHTTPHelper::Init", state->lastError,
             "[ERR-0] InternetOpenW thất bại, không thể khởi tạo WinINet");
    state->status = MDS_STATUS_INIT_FAILED;
  } else {
    SetTimeouts(state->session.get());
    state->status = MDS_STATUS_INITIALIZING;
  }
  return std::unique_ptr<MSHTTPHelper>(new MSHTTPHelper(std::move(state)));
}

MSHTTPHelper::~MSHTTPHelper() { state_->Detach(); }

bool MSHTTPHelper::GetTextFromUrlW(std::string_view url, std::wstring& text) {
  State& s = *state_;
  if (s.status != MDS_STATUS_INITIALIZING) {
    s.failure = FailureKind::RequestFailed;  // no session, or a second call: asking again will not help
    WriteLog(kSource, s.lastError, "this->MDS_STATUS != MDS_STATUS_INITIALIZING");
    return false;
  }
  const std::string urlText(url);
  InternetRequest request = InternetRequest::Open(s.session.get(), url, {});
  if (const auto& refused = request.refused()) {
    s.lastError = 0;
    s.failure = FailureKind::RequestFailed;
    s.refusal = refused->UserText();
    WriteLog(kSource, 0, Format("GetTextFromUrlW %s %s", urlText.c_str(), refused->LogText().c_str()));
    s.status = MDS_STATUS_INIT_FAILED;
    return false;
  }
  if (!request) {
    s.lastError = ::GetLastError();
    s.failure = KindOfRequestError(s.lastError);
    WriteLog(kSource, s.lastError, Format("GetTextFromUrlW %s !m_hConnect", urlText.c_str()));
    s.status = MDS_STATUS_INIT_FAILED;
    return false;
  }
  if (!QueryStatusCode(request.get(), s.statusCode)) {
    s.lastError = ::GetLastError();
    s.failure = KindOfRequestError(s.lastError);
    WriteLog(kSource, s.lastError,
             Format("GetTextFromUrlW %s !HttpQueryInfo(m_hConnect, HTTP_QUERY_STATUS_CODE | "
                    "HTTP_QUERY_FLAG_NUMBER, &this->statusCode, &statusCodeSize, NULL)",
                    urlText.c_str()));
    s.status = MDS_STATUS_FAILED;
    return false;
  }
  if (s.statusCode != HTTP_STATUS_OK) {
    s.lastError = 0;
    s.failure = KindOfStatus(s.statusCode);
    if (const auto retryAfter = QueryHeaderText(request.get(), HTTP_QUERY_RETRY_AFTER))
      s.retryAfterMs = ParseRetryAfter(*retryAfter, static_cast<int64_t>(NowSeconds()));
    WriteLog(
        kSource, 0,
        Format("GetTextFromUrlW %s this->statusCode (%u) != HTTP_STATUS_OK ", urlText.c_str(), s.statusCode));
    s.status = MDS_STATUS_HTTP_ERROR;
    return false;
  }
  s.status = MDS_STATUS_DOWNLOADING;
  std::string body;
  DWORD readError = 0;
  if (const std::optional<BodyProblem> problem = ReadWholeBody(request.get(), body, readError)) {
    s.lastError = readError;
    s.failure = problem->kind;
    WriteLog(kSource, readError, Format("GetTextFromUrlW %s %s", urlText.c_str(), problem->text.c_str()));
    s.status = MDS_STATUS_FAILED;
    return false;
  }
  // Decoded as a whole: a character split between two reads stays one character.
  text += Widen(body);
  s.status = MDS_STATUS_DONE;
  return true;
}

void MSHTTPHelper::StartDownload(std::string_view url, std::string_view savePath, uint64_t expectedSize,
                                 Content content) {
  StartDownloadThread(state_, url, savePath, expectedSize, content == Content::Checked);
}

void MSHTTPHelper::ReportOnlyTheEnd(UINT message, WPARAM tag) {
  state_->endMessage = message;
  state_->endTag = tag;
}

std::string MSHTTPHelper::EndText() const { return Narrow(state_->endText); }

void MSHTTPHelper::SetRetryBudget(uint64_t ms) { state_->retryBudgetMs = ms; }

void MSHTTPHelper::ProgressTaken() { state_->ProgressTaken(); }

bool MSHTTPHelper::IsCompleted() const { return state_->status == MDS_STATUS_DONE; }
int32_t MSHTTPHelper::Status() const { return state_->status; }
uint32_t MSHTTPHelper::LastError() const { return state_->lastError; }
uint32_t MSHTTPHelper::StatusCode() const { return state_->statusCode; }
FailureKind MSHTTPHelper::Failure() const { return state_->failure; }
const std::string& MSHTTPHelper::Digest() const { return state_->digest; }
std::optional<uint64_t> MSHTTPHelper::RetryAfterMs() const { return state_->retryAfterMs; }
const std::string& MSHTTPHelper::RefusedText() const { return state_->refusal; }

FetchedText FetchTextOnce(std::string_view url) {
  auto helper = MSHTTPHelper::Init(nullptr);
  std::wstring text;
  FetchedText fetched;
  if (helper->GetTextFromUrlW(url, text)) {
    fetched.body = Narrow(text);
  } else {
    fetched.errorCode = helper->LastError();
    fetched.failure = helper->Failure();
    fetched.retryAfterMs = helper->RetryAfterMs();
    fetched.refusal = helper->RefusedText();
  }
  fetched.httpStatus = helper->StatusCode();
  return fetched;
}

std::optional<std::string> FetchTextWithRetries(const std::string& url, HWND window, const StopFlag* stop,
                                                uint64_t budgetMs, std::string_view logSource) {
  WinRetryEnv retry(window, stop);
  return FetchWithRetries([&] { return FetchTextOnce(url); }, retry, budgetMs, url, logSource).body;
}

void RemoveResumeRecord(std::string_view savePath) {
  ::DeleteFileW(Widen(std::string(savePath) + std::string(kResumeRecordSuffix)).c_str());
}

}  // namespace sl
