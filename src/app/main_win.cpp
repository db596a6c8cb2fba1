// Process entry: one instance, GDI+, local store, the main window, the self-update check and the
// message loop.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "diag/worker_win.h"
#include "net/transfer_rules.h"
#include "res/resource.h"
#include "selfupdate/self_update_win.h"
#include "store/local_paths.h"
#include "store/local_store_win.h"
#include "ui/shell_win.h"
#include "ui/main_window_win.h"
#include "ui/view_rules.h"
#include "ui/taskbar_win.h"

namespace sl {

// The portable show commands are the SDK's.
static_assert(kShowNormal == SW_SHOWNORMAL && kShowMinimized == SW_SHOWMINIMIZED && kMinimize == SW_MINIMIZE);

namespace {

// The one-instance-per-machine rule. Takes the machine-wide name; an invalid handle still means
// "only instance" (the rule only stops a start when another process is known to hold the name).
struct InstanceClaim {
  UniqueKernelHandle mutex;
  bool anotherRunning = false;
};

InstanceClaim ClaimSingleInstance() {
  InstanceClaim claim;
  claim.mutex.reset(::CreateMutexW(nullptr, FALSE, L"Global\\Stormline_p"));
  claim.anotherRunning = ::GetLastError() == ERROR_ALREADY_EXISTS;
  return claim;
}

// Restores the running instance's window when it is hidden or minimised, then raises it.
void RaiseRunningInstance(const std::wstring& className, const std::wstring& title) {
  HWND other = ::FindWindowW(className.c_str(), title.c_str());
  if (other == nullptr) return;
  const bool visible = ::IsWindowVisible(other) != FALSE;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (visible) ::GetWindowPlacement(other, &placement);
  if (NeedsRestore(visible, static_cast<int>(placement.showCmd))) ::ShowWindow(other, SW_SHOWNORMAL);
  ::SetForegroundWindow(other);
}

constexpr int kStringUnits = 100;
// How long a program started by a self-update hand-over waits for its predecessor to end.
constexpr DWORD kPredecessorWaitMs = 20000;

// The main window's accelerators first, then Enter for the view's main action, then the dialog
// keys of its buttons (Tab, the arrows, Space for the focused button).
struct Keys {
  MainWindow& main;
  HACCEL accelerators;
};

bool IsEnterFor(HWND window, const MSG& msg) {
  return msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN &&
         (msg.hwnd == window || ::IsChild(window, msg.hwnd));
}

void Dispatch(MSG& msg, const Keys& keys) {
  if (::TranslateAcceleratorW(msg.hwnd, keys.accelerators, &msg)) return;
  const HWND window = keys.main.Window();
  if (IsEnterFor(window, msg) && keys.main.PressMainAction()) return;
  if (window != nullptr && ::IsDialogMessageW(window, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

int RunMessageLoop(const Keys& keys) {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg, keys);
  return static_cast<int>(msg.wParam);
}

// Serves the windows until `event` is set; the quit code instead when the window closed first.
std::optional<int> RunMessageLoopUntil(HANDLE event, const Keys& keys) {
  for (;;) {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      Dispatch(msg, keys);
    }
    if (event == nullptr || ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0) return std::nullopt;
    ::MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

// The program's arguments after its own name, in UTF-8.
std::vector<std::string> CommandLineArguments() {
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(Narrow(words[i]));
  ::LocalFree(words);
  return arguments;
}

// The download cap of this run, in force before any transfer: `--limit-rate=<KB/s>` (then also
// recorded), else the recorded one.
void ApplyDownloadLimit() {
  constexpr char kSource[] = "wWinMain";
  const LimitRateOption option = FindLimitRateOption(CommandLineArguments());
  for (const std::string& ignored : option.ignored) {
    WriteLog(kSource, 0,
             Format("Bỏ qua tham số không hợp lệ: %s (cần --limit-rate=<KB/s>, từ 0 đến %u)", ignored.c_str(),
                    kMaxDownloadLimitKBps));
  }
  SetDownloadLimitKBps(DownloadLimitForThisRun(option.kbps));
  if (const uint32_t kbps = DownloadLimitKBps(); kbps != 0) {
    WriteLog(kSource, 0, Format("Giới hạn tốc độ tải: %u KB/s", kbps));
  }
}

// The launcher manifest is fetched off the window, which answers meanwhile; its start buttons wait
// until the check is over, so no run begins that an update would end.
bool CheckSelfUpdateOffTheWindow(SelfUpdateRequest& request, const Keys& keys, int& quitCode) {
  OffWindowWork<std::string> fetch;
  const bool started = fetch.Start(nullptr, 0, "CheckSelfUpdate",
                                   [](const StopFlag& stop) { return FetchLauncherManifest(&stop); });
  if (const std::optional<int> quit = RunMessageLoopUntil(started ? fetch.DoneEvent() : nullptr, keys)) {
    quitCode = *quit;
    return false;
  }
  const std::string manifest = fetch.Take(fetch.Ticket()).value_or(std::string());
  if (CheckSelfUpdate(request, manifest)) ShowSelfUpdateWindow(request);
  return true;
}

int Run(HINSTANCE instance, int showCmd) {
  const std::wstring title = LoadResourceString(instance, IDS_APP_TITLE, kStringUnits);
  const std::wstring className = LoadResourceString(instance, IDC_STORMLINE, kStringUnits);

  // A successor of a self-update hand-over starts while its predecessor still holds the
  // one-instance name and its files: it waits for that process rather than give way to it.
  WaitForPredecessor(kPredecessorWaitMs);
  InstanceClaim claim = ClaimSingleInstance();
  if (claim.anotherRunning) {
    claim.mutex.reset();
    RaiseRunningInstance(className, title);
    return 0;
  }

  MarkUiThread();
  const ComApartment com;        // the taskbar button's progress and the folder picker use COM
  const GdiplusSession gdiplus;  // the skin pictures are loaded through it
  InitLocalStore();
  // Before anything of the run logs: the first entry fixes the log file.
  SetLogFolder(Paths().logRoot);
  // Before the self-update check's download and any other.
  ApplyDownloadLimit();

  MainWindow main(instance, title);
  if (!main.Create(className)) return 0;
  const HWND window = main.Window();
  ::ShowWindow(window, showCmd);
  CenterOnScreen(window);
  ::UpdateWindow(window);

  const Keys keys{main, ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_STORMLINE))};
  SelfUpdateRequest selfUpdate;
  selfUpdate.caption = MakeVersionedTitle(Narrow(title));
  selfUpdate.owner = window;
  int quitCode = 0;
  main.HoldStart(true);
  const bool open = CheckSelfUpdateOffTheWindow(selfUpdate, keys, quitCode);
  main.HoldStart(false);
  if (!open) return quitCode;
  return RunMessageLoop(keys);
}

}  // namespace
}  // namespace sl

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCmd) {
  // Elevated and often started from a Downloads folder: never load a DLL planted beside us.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return sl::Run(instance, showCmd);
}
