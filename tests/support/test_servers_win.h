// The loopback test servers as seen from a Wine test: their URLs and their files.
#pragma once

#include <cstdint>
#include <string>

namespace sl::test {

struct TestServers {
  std::string http;     // nginx
  std::string https;    // nginx over TLS, certificate from the run's own CA
  std::string fault;    // the fault-injecting server
  std::wstring folder;  // where start.sh keeps its files, as a Windows path

  [[nodiscard]] std::wstring WwwPath(const std::wstring& relative) const {
    return folder + L"\\www\\" + relative;
  }
  [[nodiscard]] std::wstring AccessLogPath() const { return folder + L"\\access.log"; }
};

// Reads servers.env written by tests/servers/start.sh; `envPath` may be a Unix path.
[[nodiscard]] TestServers LoadTestServers(const std::string& envPath);

// A Unix path as Wine sees it (Z: drive); Windows paths are returned unchanged.
[[nodiscard]] std::wstring WinePath(const std::string& path);

// Byte i of every file the fault server sends and the tests publish: (i * 131 + 7) % 251.
[[nodiscard]] std::string PatternBytes(uint64_t start, uint64_t end);

// Writes `bytes` to `path`, replacing the file.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] std::string ReadFileBytes(const std::wstring& path);

// The body of a GET of `url` (the fault server's "/__log", say); empty when it fails.
[[nodiscard]] std::string FetchText(const std::string& url);

}  // namespace sl::test
