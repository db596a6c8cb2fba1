#include "install/launch_win.h"

#include <shellapi.h>

#include "base/text.h"
#include "base/path.h"
#include "base/text_win.h"
#include "diag/log.h"
#include "diag/seh_guard_win.h"
#include "store/file_system_win.h"

namespace sl {
namespace {

constexpr char kSource[] = "MStoreLocal";

}  // namespace

UniqueKernelHandle CreateShellExecute(const std::string& program, const std::string& directory,
                                      const std::optional<std::string>& parameters) {
  const std::string line = Format("CreateShellExecute: %s, %s , %s", program.c_str(), directory.c_str(),
                                  parameters ? parameters->c_str() : "(null)");
  WriteLog(kSource, 0, line);
  HANDLE process = nullptr;
  DWORD error = ERROR_SUCCESS;
  bool refused = false;
  // Only the shell call is guarded; its log entries are written outside, after it.
  const bool survived = RunGuarded(kSource, [&] {
    const std::wstring file = Widen(program);
    const std::wstring folder = Widen(directory);
    const std::wstring arguments = parameters ? Widen(*parameters) : std::wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters ? arguments.c_str() : nullptr;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info)) {
      process = info.hProcess;
    } else {
      error = ::GetLastError();
      refused = true;
    }
  });
  if (refused) WriteLog(kSource, error, line);
  return UniqueKernelHandle(survived ? process : nullptr);
}

void LaunchGamePatcher(HWND owner, InstallState& state) {
  const std::string patcher = JoinPath(state.installDir, "patcher_sl2.exe");
  if (!FileExists(patcher)) {
    // Said in the player's language, not by the shell's own "file not found" box.
    WriteLog(kSource, ERROR_FILE_NOT_FOUND, "LaunchGamePatcher: " + patcher);
    ::MessageBoxW(owner,
                  Widen(Format("Không tìm thấy %s để khởi động Bão Lửa. Vui lòng cài đặt lại trò chơi!",
                               patcher.c_str()))
                      .c_str(),
                  L"Thông báo", MB_ICONERROR);
  } else if (CreateShellExecute(patcher, state.installDir, std::nullopt)) {
    ::PostMessageW(owner, WM_CLOSE, 0, 0);
    return;
  }
  RecordInstalledVersion(state, ReadInstalledVersion(state.installDir));
}

bool RunProgram(const std::string& directory, const std::string& fileName) {
  const std::wstring application = Widen(Format("%s\\%s", directory.c_str(), fileName.c_str()));
  if (application.size() >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);  // callers log the reason
    return false;
  }
  const std::wstring folder = Widen(directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created{};
  if (!::CreateProcessW(application.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        folder.c_str(), &startup, &created))
    return false;
  UniqueKernelHandle thread(created.hThread);
  UniqueKernelHandle process(created.hProcess);
  return true;
}

}  // namespace sl
