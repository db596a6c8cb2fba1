// For Wine tests: a private log folder per test process, and reading back what WriteLog wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sl::test {

// Set as the log folder before the first test (WriteLog fixes its path on first use). It does not
// exist beforehand and has a Vietnamese name: folder creation and path conversion get exercised.
[[nodiscard]] const std::wstring& TestLogRoot();
[[nodiscard]] std::wstring TestLogFile();

// Size of Log.txt in bytes; 0 while it does not exist.
[[nodiscard]] uint64_t LogFileSize();

// Log.txt's bytes from `offset` on, raw and decoded from UTF-16LE to UTF-8.
[[nodiscard]] std::string ReadLogBytes(uint64_t offset);
[[nodiscard]] std::string ReadLogUtf8(uint64_t offset);

// Entries in `text`, counted by their "[YYYY-MM-DD hh:mm:ss]\t" openings.
[[nodiscard]] size_t CountEntries(const std::string& text);

[[nodiscard]] std::string ExePath();

}  // namespace sl::test
