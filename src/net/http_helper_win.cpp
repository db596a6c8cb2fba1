#include "net/http_helper_win.h"

#include <utility>

#include "base/format.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "net/download_session_win.h"
#include "net/internet_request_win.h"

namespace sl {
namespace {

constexpr char kSource[] = "MSHTTPHelper ";
constexpr DWORD kTextChunkBytes = 1024;

// Why a text body cannot be used; empty when `body` holds all of it. A text cut short is no text: a
// file list that lost its last lines would install part of a release.
std::string ReadWholeBody(HINTERNET request, std::string& body, DWORD& readError) {
  std::optional<uint64_t> announced;
  if (const auto length = QueryHeaderText(request, HTTP_QUERY_CONTENT_LENGTH)) {
    announced = ParseContentLength(*length);
    if (!announced) return "Content-Length không hợp lệ: " + *length;
  }
  const auto limit = static_cast<unsigned long long>(kMaxTextBytes);
  if (announced > kMaxTextBytes)
    return Format("nội dung %llu bytes, quá giới hạn %llu bytes", static_cast<unsigned long long>(*announced),
                  limit);
  char chunk[kTextChunkBytes];
  for (DWORD read = 0;;) {
    if (!::InternetReadFile(request, chunk, sizeof(chunk), &read)) {
      readError = ::GetLastError();
      return Format("InternetReadFile thất bại sau %llu bytes", static_cast<unsigned long long>(body.size()));
    }
    if (read == 0) break;
    if (body.size() + read > kMaxTextBytes) return Format("nội dung quá giới hạn %llu bytes", limit);
    body.append(chunk, read);
  }
  if (announced && body.size() != *announced)
    return Format("nội dung dừng ở %llu / %llu bytes", static_cast<unsigned long long>(body.size()),
                  static_cast<unsigned long long>(*announced));
  return {};
}

}  // namespace

MSHTTPHelper::MSHTTPHelper(std::shared_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<MSHTTPHelper> MSHTTPHelper::Init(HWND notifyWindow) {
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
    WriteLog(kSource, s.lastError, "this->MDS_STATUS != MDS_STATUS_INITIALIZING");
    return false;
  }
  const std::string urlText(url);
  InternetRequest request = InternetRequest::Open(s.session.get(), url, {});
  if (!request) {
    s.lastError = ::GetLastError();
    WriteLog(kSource, s.lastError, Format("GetTextFromUrlW %s !m_hConnect", urlText.c_str()));
    s.status = MDS_STATUS_INIT_FAILED;
    return false;
  }
  if (!QueryStatusCode(request.get(), s.statusCode)) {
    s.lastError = ::GetLastError();
    WriteLog(kSource, s.lastError,
             Format("GetTextFromUrlW %s !HttpQueryInfo(m_hConnect, HTTP_QUERY_STATUS_CODE | "
                    "HTTP_QUERY_FLAG_NUMBER, &this->statusCode, &statusCodeSize, NULL)",
                    urlText.c_str()));
    s.status = MDS_STATUS_FAILED;
    return false;
  }
  if (s.statusCode != HTTP_STATUS_OK) {
    s.lastError = 0;
    WriteLog(
        kSource, 0,
        Format("GetTextFromUrlW %s this->statusCode (%u) != HTTP_STATUS_OK ", urlText.c_str(), s.statusCode));
    s.status = MDS_STATUS_HTTP_ERROR;
    return false;
  }
  s.status = MDS_STATUS_DOWNLOADING;
  std::string body;
  DWORD readError = 0;
  if (const std::string problem = ReadWholeBody(request.get(), body, readError); !problem.empty()) {
    s.lastError = readError;
    WriteLog(kSource, readError, Format("GetTextFromUrlW %s %s", urlText.c_str(), problem.c_str()));
    s.status = MDS_STATUS_FAILED;
    return false;
  }
  // Decoded as a whole: a character split between two reads stays one character.
  text += Widen(body);
  s.status = MDS_STATUS_DONE;
  return true;
}

void MSHTTPHelper::StartDownload(std::string_view url, std::string_view savePath, uint64_t expectedSize) {
  StartDownloadThread(state_, url, savePath, expectedSize);
}

void MSHTTPHelper::ProgressTaken() { state_->ProgressTaken(); }

bool MSHTTPHelper::IsCompleted() const { return state_->status == MDS_STATUS_DONE; }
int32_t MSHTTPHelper::Status() const { return state_->status; }
uint32_t MSHTTPHelper::LastError() const { return state_->lastError; }
uint32_t MSHTTPHelper::StatusCode() const { return state_->statusCode; }

}  // namespace sl
