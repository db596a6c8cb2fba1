// Owner of WinINet handles.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/unique_handle_win.h"

namespace sl {

struct InternetHandleTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::InternetCloseHandle(h); }
};

using UniqueInternet = UniqueHandle<InternetHandleTraits>;

}  // namespace sl
