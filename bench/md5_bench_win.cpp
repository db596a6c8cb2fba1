// The program's MD5 check of one file, timed two ways:
//   md5_bench speed <file>  GetFileMd5 alone: "program <MB/s> <digest>"
//   md5_bench stall <file>  GetFileMd5 inside a window procedure, as the controller runs it, while
//                           another thread pings the window every 5 ms: "stall <longest ms> ..."
//                           is the longest time the UI thread answered no message.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "install/install_messages.h"
#include "install/md5_win.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kRunCheck = WM_APP + 1;

sl::UniqueFile OpenForCheck(const wchar_t* path, uint64_t& size) {
  sl::UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length{};
  ::GetFileSizeEx(file.get(), &length);
  size = static_cast<uint64_t>(length.QuadPart);
  return file;
}

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

int Speed(const wchar_t* path) {
  uint64_t size = 0;
  sl::UniqueFile file = OpenForCheck(path, size);
  if (!file) return 1;
  const auto start = Clock::now();
  const std::string digest = sl::GetFileMd5(file.get(), size, nullptr);
  const double seconds = Seconds(Clock::now() - start);
  printf("program %.1f MB/s %s (%.2f s)\n", static_cast<double>(size) / seconds / 1e6, digest.c_str(),
         seconds);
  return digest.empty() ? 1 : 0;
}

struct StallRun {
  const wchar_t* path = nullptr;
  std::atomic<bool> done{false};
  double checkSeconds = 0;
};

LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunCheck) {
    auto* run = reinterpret_cast<StallRun*>(lParam);
    uint64_t size = 0;
    sl::UniqueFile file = OpenForCheck(run->path, size);
    const auto start = Clock::now();
    (void)sl::GetFileMd5(file.get(), size, window);
    run->checkSeconds = Seconds(Clock::now() - start);
    run->done = true;
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

int Stall(const wchar_t* path) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = CheckWindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"md5_bench";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowW(L"md5_bench", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  StallRun run;
  run.path = path;
  double longest = 0;
  std::atomic<bool> pingerDone{false};
  std::thread pinger([&] {
    for (; !run.done; ::Sleep(5)) {
      const auto sent = Clock::now();
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
      longest = std::max(longest, Seconds(Clock::now() - sent));
    }
    pingerDone = true;
  });
  ::PostMessageW(window, kRunCheck, 0, reinterpret_cast<LPARAM>(&run));
  MSG msg;
  size_t queued = 0;
  while (!run.done && ::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  // Keep answering until the pinger has seen the end, counting the check's progress messages.
  while (!pingerDone) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == sl::WM_MD5_PROGRESS || msg.message == sl::WM_MD5_RESULT) ++queued;
      ::DispatchMessageW(&msg);
    }
    ::Sleep(1);
  }
  pinger.join();
  printf("stall %.0f ms longest UI-thread gap; check %.2f s; %zu progress messages were queued\n",
         longest * 1000, run.checkSeconds, queued);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: md5_bench speed|stall <file>\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  return mode == L"speed" ? Speed(argv[2]) : Stall(argv[2]);
}
