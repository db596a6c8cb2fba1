#include "app_driver.h"

#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

#include "tests/support/test_servers_win.h"

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
  // Seen once under Wine: a start right after the program's previous instance ended failed. The
  // start is the harness's, not the program's: it is tried again, and the failure is reported.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
      ::CloseHandle(info.hThread);
      process.process_.reset(info.hProcess);
      process.id_ = info.dwProcessId;
      process.startError_ = 0;
      break;
    }
    process.startError_ = ::GetLastError();
    std::fprintf(stderr, "CreateProcessW failed (%lu): %ls\n", process.startError_, path.c_str());
    ::Sleep(1000);
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

std::wstring ReadRegistryText(const wchar_t* key, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

void WriteRegistryText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  UniqueRegKey handle;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(),
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::filesystem::path MakeGameFolder(const wchar_t* name, int version) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"sl_e2e" / name;
  // A program that just ended may hold its files for a moment longer under Wine.
  std::error_code error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::remove_all(folder, error);
    if (!error) break;
    ::Sleep(100);
  }
  std::filesystem::create_directories(folder);
  if (version != 0) {
    std::ofstream file(folder / L"version.dat", std::ios::binary);
    file.write(reinterpret_cast<const char*>(&version), sizeof(version));
  }
  return folder;
}

std::wstring LogFilePath() {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp, length) + L"slvn\\Logs\\Log.txt";
}

bool IsProcessRunning(const wchar_t* namePrefix) {
  // A snapshot that cannot be taken is INVALID_HANDLE_VALUE, as a file that cannot be opened.
  const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  const size_t length = wcslen(namePrefix);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (_wcsnicmp(entry.szExeFile, namePrefix, length) == 0) return true;
  }
  return false;
}

int CountMainWindows() {
  int count = 0;
  ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace sl::e2e
