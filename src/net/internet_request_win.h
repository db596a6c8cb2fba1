// One GET request on a WinINet session, as InternetOpenUrlW opens it, but through a connection
// handle of its own: Wine's WinINet applies the connect, send and receive time-outs only to
// requests made that way, and leaves an InternetOpenUrlW request waiting on a silent server forever.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "net/internet_handle_win.h"

namespace sl {

class InternetRequest {
 public:
  // Sends the request with `headers` (may be empty) and the flags of OpenUrlFlags, and waits for
  // the answer's headers. On failure the object is empty and GetLastError says why.
  static InternetRequest Open(HINTERNET session, std::string_view url, const std::wstring& headers);

  InternetRequest() = default;
  [[nodiscard]] explicit operator bool() const { return request_.valid(); }
  [[nodiscard]] HINTERNET get() const { return request_.get(); }
  void reset() {
    request_.reset();
    connection_.reset();
  }

 private:
  UniqueInternet connection_;
  UniqueInternet request_;  // declared last, so closed first
};

// Sets the connect, send and receive time-outs (base/network_timeouts.h) on a WinINet handle.
void SetTimeouts(HINTERNET handle);

}  // namespace sl
