// Download throughput under Wine: the program's own download path against bare WinINet loops.
// Prints one "<mode> <MB/s> MB/s <bytes> bytes <seconds> s" line per run, and for the program the
// progress messages it sent, how far apart they came, and the waits before its tries again.
//   program <url> <path>   the download helper, as the installer uses it for a listed MD5 (the file
//                          hashed as it is written)
//   download <url> <path>  the same without the MD5: the download alone
//   bare <url> <path>      the best loop WinINet allows: 1 MiB reads that InternetReadFile fills,
//                          nothing written to the URL cache, no messages
//   fixed10k <url> <path>  10,240-byte reads, the design this replaced (but for the cache write, which
//                          would put a gigabyte into the cache each run and slow the runs after it)
//   cache-size             bytes in the prefix's WinINet cache folder
#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "net/download_messages.h"
#include "net/internet_request_win.h"
#include "tests/support/download_probe_win.h"

namespace {

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

uint64_t BareLoop(const std::string& url, const std::wstring& path, DWORD readBytes, DWORD extraFlags) {
  sl::UniqueInternet session(
      ::InternetOpenW(L"FileDownloader", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  sl::UniqueInternet request(::InternetOpenUrlW(
      session.get(), sl::Widen(url).c_str(), nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE | extraFlags, 0));
  sl::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!request || !file) return 0;
  std::vector<char> buffer(readBytes);
  uint64_t total = 0;
  DWORD read = 0;
  while (::InternetReadFile(request.get(), buffer.data(), readBytes, &read) && read > 0) {
    DWORD written = 0;
    ::WriteFile(file.get(), buffer.data(), read, &written, nullptr);
    total += read;
  }
  return total;
}

uint64_t CacheBytes() {
  PWSTR folder = nullptr;
  if (FAILED(::SHGetKnownFolderPath(FOLDERID_InternetCache, 0, nullptr, &folder))) return 0;
  const std::filesystem::path root(folder);
  ::CoTaskMemFree(folder);
  uint64_t total = 0;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file(error)) total += it->file_size(error);
  }
  return total;
}

// The waits before tries again, each as its first countdown notice: when it began (seconds since
// 1970) and how many seconds it was to last.
void PrintRetryWaits(const sl::test::DownloadProbe& probe) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const double nowUnix =
      static_cast<double>(((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
                          116444736000000000ULL) /
      1e7;
  const ULONGLONG nowTick = ::GetTickCount64();
  int64_t previous = 0;
  for (const auto* wait : probe.RetryWaits()) {
    if (wait->code > previous) {
      std::printf("retry-wait %.3f %lld\n", nowUnix - static_cast<double>(nowTick - wait->tick) / 1000.0,
                  static_cast<long long>(wait->code));
    }
    previous = wait->code;
  }
}

void PrintProgressGaps(const sl::test::DownloadProbe& probe) {
  std::vector<ULONGLONG> ticks;
  for (const auto& event : probe.events())
    if (event.message == sl::WM_DOWNLOAD_PROGRESS) ticks.push_back(event.tick);
  ULONGLONG longest = 0;
  for (size_t i = 1; i < ticks.size(); ++i) longest = std::max(longest, ticks[i] - ticks[i - 1]);
  const double mean = ticks.size() > 1 ? static_cast<double>(ticks.back() - ticks.front()) / 1000.0 /
                                             static_cast<double>(ticks.size() - 1)
                                       : 0.0;
  std::printf("progress-messages %zu mean-interval %.3f s longest-gap %.3f s\n", ticks.size(), mean,
              static_cast<double>(longest) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "cache-size") {
    std::printf("%llu\n", static_cast<unsigned long long>(CacheBytes()));
    return 0;
  }
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s program|bare|fixed10k <url> <local path> | cache-size\n", argv[0]);
    return 2;
  }
  const std::string url = argv[2];
  const std::wstring path = sl::Widen(argv[3]);

  LARGE_INTEGER start, end;
  uint64_t bytes = 0;
  ::QueryPerformanceCounter(&start);
  if (mode == "bare") {
    bytes = BareLoop(url, path, 1 << 20, INTERNET_FLAG_NO_CACHE_WRITE);
  } else if (mode == "fixed10k") {
    bytes = BareLoop(url, path, 10240, INTERNET_FLAG_NO_CACHE_WRITE);
  } else {
    sl::test::DownloadProbe probe;
    const auto content =
        mode == "download" ? sl::MSHTTPHelper::Content::Unchecked : sl::MSHTTPHelper::Content::Checked;
    if (probe.Run(url, path, 3600000, 0, content) != sl::MDS_STATUS_DONE) return 1;
    const auto* last = probe.LastProgress();
    bytes = last ? static_cast<uint64_t>(last->code) : 0;
    PrintProgressGaps(probe);
    PrintRetryWaits(probe);
  }
  ::QueryPerformanceCounter(&end);
  const double seconds = Seconds(start, end);
  std::printf("%s %.1f MB/s %llu bytes %.2f s\n", mode.c_str(), static_cast<double>(bytes) / seconds / 1e6,
              static_cast<unsigned long long>(bytes), seconds);
  return 0;
}
