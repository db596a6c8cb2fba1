#include "app_driver.h"

#include "tests/support/test_servers_win.h"

#include <utility>
#include <vector>

namespace sl::e2e {
namespace {
std::wstring g_appPath;

struct Search {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  ::GetClassNameW(window, className, 64);
  if (owner == search->processId && ::lstrcmpW(className, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM lParam) {
  wchar_t className[64] = {};
  ::GetClassNameW(window, className, 64);
  if (::lstrcmpW(className, kClassName) == 0) ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}

}  // namespace

const wchar_t kClassName[] = L"STORMLINE_VN";
const wchar_t kTitle[] = L"C\u00e0i \u0111\u1eb7t STORMLINE - B\u00e3o L\u1eeda";

const std::wstring& AppPath() { return g_appPath; }

void SetAppPath(const std::string& path) { g_appPath = test::WinePath(path); }

AppProcess AppProcess::Start(const std::wstring& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + path + L"\"";
  AppProcess process;
  if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
    ::CloseHandle(info.hThread);
    process.process_.reset(info.hProcess);
    process.id_ = info.dwProcessId;
  }
  return process;
}

AppProcess::~AppProcess() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

DWORD AppProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_) return STILL_ACTIVE;
  ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count()));
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

HWND AppProcess::WaitForMainWindow(std::chrono::milliseconds timeout) {
  return FindProcessWindow(id_, kClassName, timeout);
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, std::chrono::milliseconds timeout) {
  Search search{processId, className, nullptr};
  WaitUntil(
      [&] {
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeout);
  return search.found;
}

int CountMainWindows() {
  int count = 0;
  ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace sl::e2e
