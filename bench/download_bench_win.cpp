// Download throughput under Wine: the program's own download path against a bare WinINet read
// loop with the same buffer size. Prints one "name MB/s bytes" line per run.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "manifest/download_status.h"
#include "net/download_probe_win.h"
#include "net/internet_handle_win.h"

namespace {

constexpr DWORD kBufferBytes = 1 << 20;  // the download path's read size

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

uint64_t BareWinInet(const std::string& url, const std::wstring& path) {
  sl::UniqueInternet session(
      ::InternetOpenW(L"FileDownloader", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  sl::UniqueInternet request(::InternetOpenUrlW(session.get(), sl::Widen(url).c_str(), nullptr, 0,
                                                INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
  sl::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!request || !file) return 0;
  std::vector<char> buffer(kBufferBytes);
  uint64_t total = 0;
  DWORD available = 0;
  DWORD read = 0;
  while (::InternetQueryDataAvailable(request.get(), &available, 0, 0) && available > 0 &&
         ::InternetReadFile(request.get(), buffer.data(), available < kBufferBytes ? available : kBufferBytes,
                            &read) &&
         read > 0) {
    DWORD written = 0;
    ::WriteFile(file.get(), buffer.data(), read, &written, nullptr);
    total += read;
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s program|bare <url> <local path>\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const std::string url = argv[2];
  const std::wstring path = sl::Widen(argv[3]);

  LARGE_INTEGER start, end;
  uint64_t bytes = 0;
  ::QueryPerformanceCounter(&start);
  if (mode == "bare") {
    ::DeleteFileW(path.c_str());
    bytes = BareWinInet(url, path);
  } else {
    sl::test::DownloadProbe probe;
    if (probe.Run(url, path, 3600000) != sl::MDS_STATUS_DONE) return 1;
    const auto* last = probe.LastProgress();
    bytes = last ? static_cast<uint64_t>(last->code) : 0;
    std::printf("progress-messages %zu\n", probe.ProgressCount());
  }
  ::QueryPerformanceCounter(&end);
  const double seconds = Seconds(start, end);
  std::printf("%s %.1f MB/s %llu bytes %.2f s\n", mode.c_str(), static_cast<double>(bytes) / seconds / 1e6,
              static_cast<unsigned long long>(bytes), seconds);
  return 0;
}
