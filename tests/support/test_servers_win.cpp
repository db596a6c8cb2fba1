#include "tests/support/test_servers_win.h"

#include <windows.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/text_win.h"
#include "net/internet_request_win.h"

namespace sl::test {

std::wstring WinePath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.empty() || wide[0] != L'/') return wide;
  for (auto& c : wide) c = c == L'/' ? L'\\' : c;
  return L"Z:" + wide;
}

TestServers LoadTestServers(const std::string& envPath) {
  TestServers servers;
  const std::wstring path = WinePath(envPath);
  servers.folder = path.substr(0, path.rfind(L'\\'));
  std::ifstream file{std::filesystem::path(path)};
  std::string line;
  while (std::getline(file, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "http") servers.http = value;
    if (key == "https") servers.https = value;
    if (key == "fault") servers.fault = value;
  }
  return servers;
}

std::string PatternBytes(uint64_t start, uint64_t end) {
  std::string bytes;
  bytes.reserve(end - start);
  for (uint64_t i = start; i < end; ++i) bytes.push_back(static_cast<char>((i * 131 + 7) % 251));
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string FetchText(const std::string& url) {
  UniqueInternet session(::InternetOpenW(L"sl-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  UniqueInternet request(session ? ::InternetOpenUrlW(session.get(), Widen(url).c_str(), nullptr, 0,
                                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                 : nullptr);
  std::string text;
  char buffer[8192];
  DWORD read = 0;
  while (request && ::InternetReadFile(request.get(), buffer, sizeof(buffer), &read) && read != 0)
    text.append(buffer, read);
  return text;
}

}  // namespace sl::test
