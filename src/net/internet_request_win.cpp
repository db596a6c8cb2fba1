#include "net/internet_request_win.h"

#include <utility>

#include "base/build_info.h"
#include "base/text_win.h"
#include "net/http_rules.h"

namespace sl {

// The portable request flags are WinINet's.
static_assert(kFlagReload == INTERNET_FLAG_RELOAD);
static_assert(kFlagSecure == INTERNET_FLAG_SECURE);
static_assert(kFlagKeepConnection == INTERNET_FLAG_KEEP_CONNECTION);
static_assert(kFlagPragmaNoCache == INTERNET_FLAG_PRAGMA_NOCACHE);
static_assert(kFlagNoCacheWrite == INTERNET_FLAG_NO_CACHE_WRITE);
static_assert(kFlagNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT);
static_assert(kFlagNoCookies == INTERNET_FLAG_NO_COOKIES);
static_assert(kFlagNoAuth == INTERNET_FLAG_NO_AUTH);
static_assert(kFlagNoUi == INTERNET_FLAG_NO_UI);

void SetTimeouts(HINTERNET handle) {
  for (const auto& [option, ms] : {std::pair{INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs},
                                   {INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs},
                                   {INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs}}) {
    DWORD value = ms;
    ::InternetSetOptionW(handle, option, &value, sizeof(value));
  }
}

InternetRequest InternetRequest::Open(HINTERNET session, std::string_view url, const std::wstring& headers) {
  const auto refuse = [](Refusal why, std::string_view from, std::string_view to) {
    InternetRequest refused;
    refused.refused_ = Refused{why, std::string(from), std::string(to)};
    ::SetLastError(ERROR_ACCESS_DENIED);  // for a caller that reads only the code
    return refused;
  };
  // Nothing is sent to a place the rules refuse, not even the connection's first byte.
  if (const std::optional<Refusal> why = JudgeRequest(url, PlainHttpAllowed())) return refuse(*why, url, {});
  std::string current(url);
  for (int hop = 0;; ++hop) {
    InternetRequest request = Send(session, current, headers);
    if (!request) return request;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr) ||
        !IsRedirectStatus(status)) {
      return request;
    }
    std::wstring location(256, L'\0');
    DWORD locationSize = static_cast<DWORD>(location.size() * sizeof(wchar_t));
    BOOL named =
        ::HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, location.data(), &locationSize, nullptr);
    if (!named && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      location.resize(locationSize / sizeof(wchar_t) + 1);
      named = ::HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, location.data(), &locationSize, nullptr);
    }
    if (!named) return request;  // a redirect that names no place is the answer itself
    location.resize(locationSize / sizeof(wchar_t));
    const std::optional<std::string> target = ResolveLocation(current, Narrow(location));
    if (!target) return request;
    if (const std::optional<Refusal> why = JudgeRedirect(current, *target, hop, PlainHttpAllowed()))
      return refuse(*why, current, *target);
    current = *target;
  }
}

InternetRequest InternetRequest::Send(HINTERNET session, std::string_view url, const std::wstring& headers) {
  const DWORD flags = OpenUrlFlags(url, PlainHttpAllowed());
  const std::wstring wideUrl = Widen(url);
  // Lengths without buffers: the parts come back as pointers into wideUrl.
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts)) return {};
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
    ::SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    return {};
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (object.empty() || object.front() != L'/') object.insert(0, 1, L'/');

  InternetRequest request;
  request.connection_.reset(
      ::InternetConnectW(session, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!request.connection_) return {};
  SetTimeouts(request.connection_.get());
  request.request_.reset(::HttpOpenRequestW(request.connection_.get(), L"GET", object.c_str(), nullptr,
                                            nullptr, nullptr, flags, 0));
  if (!request.request_) return {};
  SetTimeouts(request.request_.get());
  if (!::HttpSendRequestW(request.request_.get(), headers.empty() ? nullptr : headers.c_str(),
                          static_cast<DWORD>(headers.size()), nullptr, 0)) {
    const DWORD error = ::GetLastError();
    request.reset();
    ::SetLastError(error);
    return {};
  }
  return request;
}

}  // namespace sl
