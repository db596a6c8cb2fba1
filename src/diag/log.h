// The program's log: its one operation, how an entry is composed, where the file lives, and the host build's
// record of it for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sl {

// The program's log: its one operation, how an entry is composed and where the file lives.

// The program's one logging operation. Entries go to <log root>\Logs\Log.txt as UTF-16; the
// Windows build learns the root from SetLogFolder (below).

// Appends "[timestamp]\t" + source + error text (when errorCode != 0) + CR LF + CR LF.
// Never fails towards the caller and never shows anything to the player.
void WriteLog(std::string_view source, uint32_t errorCode);

// As above, with "\t" + message after the error text.
void WriteLog(std::string_view source, uint32_t errorCode, std::string_view message);

// One log entry composed as the UTF-16 text that goes into Log.txt.

// Local wall-clock time of an entry, as the system reports it.
struct LogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
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

// Where the log file lives below the program's log root.

// logRoot + "\Logs", without doubling a trailing backslash. An empty root gives "\Logs".
[[nodiscard]] std::string LogFolderPath(std::string_view logRoot);

// LogFolderPath(logRoot) + "\Log.txt".
[[nodiscard]] std::string LogFilePath(std::string_view logRoot);

// Where the Windows log file goes. The entry names the folder once at start-up.

// Entries go to logRoot\Logs\Log.txt; the folder is created with the first entry. The file is fixed
// by the first entry of the run (an empty root until this is called, "\Logs\Log.txt"): a call
// after it changes nothing, so one run's log is never split in two.
void SetLogFolder(std::string_view logRoot);

// The host build's WriteLog keeps entries in memory, so portable code that logs can be tested.

struct CapturedLogEntry {
  std::string source;
  uint32_t errorCode = 0;
  std::string message;
  bool hasMessage = false;  // which WriteLog overload was called

  bool operator==(const CapturedLogEntry&) const = default;
};

// The entries written since the last call, oldest first; the record is left empty.
[[nodiscard]] std::vector<CapturedLogEntry> TakeCapturedLog();

}  // namespace sl
