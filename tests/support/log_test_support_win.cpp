#include "tests/support/log_test_support_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <regex>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"

namespace sl::test {
namespace {

class LogFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { SetLogFolder(Narrow(TestLogRoot())); }

  void TearDown() override {
    ::DeleteFileW(TestLogFile().c_str());
    ::RemoveDirectoryW((TestLogRoot() + L"\\Logs").c_str());
    ::RemoveDirectoryW(TestLogRoot().c_str());
    ::RemoveDirectoryW(TestLogRoot().substr(0, TestLogRoot().rfind(L'\\')).c_str());
  }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new LogFolderEnvironment);

}  // namespace

const std::wstring& TestLogRoot() {
  static const std::wstring root = [] {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp, length) + L"sl-diag-test-" + std::to_wstring(::GetCurrentProcessId()) +
           L"\\Nhật ký";
  }();
  return root;
}

std::wstring TestLogFile() { return TestLogRoot() + L"\\Logs\\Log.txt"; }

uint64_t LogFileSize() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(TestLogFile().c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string ReadLogBytes(uint64_t offset) {
  // The program may still be writing the log.
  UniqueFile file = OpenFileForReading(TestLogFile().c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE);
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!file || !::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return {};
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  return bytes;
}

std::string ReadLogUtf8(uint64_t offset) {
  const std::string bytes = ReadLogBytes(offset);
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return Narrow(text);
}

size_t CountEntries(const std::string& text) {
  static const std::regex opening(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\]\t)");
  return static_cast<size_t>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), opening), std::sregex_iterator()));
}

std::string ExePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Narrow(std::wstring_view(path, length));
}

}  // namespace sl::test
