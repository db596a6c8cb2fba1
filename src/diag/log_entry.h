// One log entry composed as the UTF-16 text that goes into Log.txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// Local wall-clock time of an entry, as the system reports it.
struct LogTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct LogEntryFields {
  LogTime time;
  std::string_view source;                        // UTF-8
  uint32_t errorCode = 0;                         // 0: the entry has no error text
  std::optional<std::u16string_view> systemText;  // the system's text for errorCode, if it has one
  std::optional<std::string_view> message;        // UTF-8; written after a tab
};

// Longest entry in UTF-16 units, its closing CR LF included.
inline constexpr size_t kLogEntryMaxUnits = 2084;

// Written in place of an entry that could not be composed for want of memory.
inline constexpr std::u16string_view kLogAllocFailure = u"Log:\tError alloc memory";

// "[YYYY-MM-DD hh:mm:ss]\t" + source + error text + ("\t" + message) + CR LF.
// The error text is "<code>: <system text>" (the system text keeps its own line end) or, when the
// system has none, "Không thể lấy thông điệp lỗi! (<code>)"; the code is printed as signed decimal.
// An entry that would be longer than kLogEntryMaxUnits keeps the whole characters that fit before
// its CR LF: a surrogate pair is never split. Malformed UTF-8 becomes U+FFFD, one per bad byte.
[[nodiscard]] std::u16string ComposeLogEntry(const LogEntryFields& fields);

}  // namespace sl
