// Starts the program under test as a separate process and finds its windows.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "base/unique_handle_win.h"

namespace sl::e2e {

// Path of the executable under test, given on the test's command line (Unix paths are mapped to
// Wine's Z: drive).
const std::wstring& AppPath();
void SetAppPath(const std::string& path);

extern const wchar_t kClassName[];
extern const wchar_t kTitle[];

class AppProcess {
 public:
  // Starts the program (AppPath() unless told otherwise); id 0 when it could not be started.
  static AppProcess Start(const std::wstring& path = AppPath());
  AppProcess() = default;
  AppProcess(AppProcess&&) = default;
  AppProcess& operator=(AppProcess&&) = default;
  ~AppProcess();

  [[nodiscard]] DWORD id() const { return id_; }
  // GetLastError of the last failed try to start it, 0 once it started.
  [[nodiscard]] DWORD startError() const { return startError_; }
  // Exit code once the process ended within the timeout, else STILL_ACTIVE.
  DWORD WaitForExit(std::chrono::milliseconds timeout);
  // The process's main window once it has appeared, or null.
  HWND WaitForMainWindow(std::chrono::milliseconds timeout);

 private:
  UniqueKernelHandle process_;
  DWORD id_ = 0;
  DWORD startError_ = 0;
};

// A top-level window of `processId` with the given class ("#32770" for dialogs), or null.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, std::chrono::milliseconds timeout);

// The program's log file, in the prefix's temporary folder as the program finds it.
[[nodiscard]] std::wstring LogFilePath();

// Whether a process whose executable name starts with `namePrefix` (any case) is running.
[[nodiscard]] bool IsProcessRunning(const wchar_t* namePrefix);

// Number of top-level windows of the main window's class on the desktop.
int CountMainWindows();

// The program's registry keys, and a game folder with a "version.dat" (none when version is 0).
inline constexpr wchar_t kLauncherKey[] = L"SOFTWARE\\Oskelon\\vyLauncher";
inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{3A6F0C1E-7B24-4D19-9E5A-2C8B41F07D63}_is1";
[[nodiscard]] std::wstring ReadRegistryText(const wchar_t* key, const wchar_t* name);
void WriteRegistryText(const wchar_t* key, const wchar_t* name, const std::wstring& text);
[[nodiscard]] std::filesystem::path MakeGameFolder(const wchar_t* name, int version);

// Polls `condition` until it holds or the timeout ends.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::Sleep(50);
  }
  return true;
}

}  // namespace sl::e2e
