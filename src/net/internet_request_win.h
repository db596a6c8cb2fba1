// WinINet requests: the handle owners and one request opened with the program's flags, headers, time-outs and
// redirect rules.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"
#include "net/http_rules.h"

namespace sl {

// Owner of WinINet handles.
using UniqueInternet = UniqueHandle<HandleTraits<HINTERNET, ::InternetCloseHandle>>;

// One GET request on a WinINet session, as InternetOpenUrlW opens it, but through a connection
// handle of its own: Wine's WinINet applies the connect, send and receive time-outs only to
// requests made that way, and leaves an InternetOpenUrlW request waiting on a silent server forever.
// Redirects are followed here, by the program's rules (http_rules.h), never by WinINet.
class InternetRequest {
 public:
  // What the program refused to send or follow, and the URLs concerned.
  struct Refused {
    Refusal why = Refusal::ClearText;
    std::string from;  // the URL asked for, or the one that redirected
    std::string to;    // where a redirect would have gone; empty for a refused URL
    [[nodiscard]] std::string UserText() const { return RefusalText(why, to.empty() ? from : to); }
    [[nodiscard]] std::string LogText() const { return RefusalLogText(why, from, to); }
  };

  // Sends the request with `headers` (may be empty; kept on every hop) and the flags of
  // OpenUrlFlags, follows its redirects, and waits for the last answer's headers. On failure the
  // object is empty: refused() says why when the program refused, else GetLastError does.
  static InternetRequest Open(HINTERNET session, std::string_view url, const std::wstring& headers);

  InternetRequest() = default;
  [[nodiscard]] explicit operator bool() const { return request_.valid(); }
  [[nodiscard]] HINTERNET get() const { return request_.get(); }
  [[nodiscard]] const std::optional<Refused>& refused() const { return refused_; }
  void reset() {
    request_.reset();
    connection_.reset();
  }

 private:
  // One hop: connection and request for `url`, sent; empty with the system's error on failure.
  static InternetRequest Send(HINTERNET session, std::string_view url, const std::wstring& headers);

  UniqueInternet connection_;
  UniqueInternet request_;  // declared last, so closed first
  std::optional<Refused> refused_;
};

// Sets the connect, send and receive time-outs (base/build_info.h) on a WinINet handle.
void SetTimeouts(HINTERNET handle);

}  // namespace sl
