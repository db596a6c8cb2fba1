// The program's MD5 of one file: "program <MB/s> <digest>" (the whole run's window stall is timed
// by whole_run_bench).
//   md5_bench speed <file>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/unique_handle_win.h"
#include "install/verify_win.h"

namespace {

using Clock = std::chrono::steady_clock;

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || std::wstring(argv[1]) != L"speed") {
    fprintf(stderr, "usage: md5_bench speed <file>\n");
    return 2;
  }
  return Speed(argv[2]);
}
