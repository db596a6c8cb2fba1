// One whole install as a player starts it, timed from outside the program: press install, wait for
// the play view. Meanwhile one thread sends the main window WM_NULL every 50 ms and keeps the
// longest wait for its answer, and another watches for the setup program's process.
// Prints "total", "longest-stall" and "setup" in seconds.
// Usage: whole_run_bench <program>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "tests/e2e/app_driver.h"
#include "tests/e2e/window_probe.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr int kInstallButton = 1720, kPlayButton = 1722;

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: whole_run_bench <program>\n");
    return 2;
  }
  sl::e2e::SetAppPath(argv[1]);
  sl::e2e::AppProcess app = sl::e2e::AppProcess::Start();
  HWND window = app.WaitForMainWindow(60s);
  if (window == nullptr ||
      !sl::e2e::WaitUntil([&] { return sl::e2e::IsShown(window, kInstallButton); }, 30s)) {
    fprintf(stderr, "the install view did not appear\n");
    return 1;
  }
  std::atomic<bool> done{false};
  double longest = 0, setup = 0;
  std::thread pinger([&] {
    while (!done) {
      const auto sent = Clock::now();
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
      longest = std::max(longest, Seconds(Clock::now() - sent));
      ::Sleep(50);
    }
  });
  std::thread setupWatch([&] {
    while (!done) {
      const auto seen = Clock::now();
      if (sl::e2e::IsProcessRunning(L"SL_Full_")) {
        while (!done && sl::e2e::IsProcessRunning(L"SL_Full_")) ::Sleep(10);
        setup += Seconds(Clock::now() - seen);
      }
      ::Sleep(10);
    }
  });
  const auto start = Clock::now();
  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  const bool finished = sl::e2e::WaitUntil(
      [&] { return sl::e2e::IsShown(window, kPlayButton) && !sl::e2e::IsShown(window, kInstallButton); },
      3600s);
  const double total = Seconds(Clock::now() - start);
  done = true;
  pinger.join();
  setupWatch.join();
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  app.WaitForExit(10s);
  printf("total %.2f\nlongest-stall %.3f\nsetup %.2f\n", total, longest, setup);
  return finished ? 0 : 1;
}
