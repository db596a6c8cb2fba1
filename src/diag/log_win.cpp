// WriteLog for Windows: appends UTF-16LE entries to %TEMP%\slvn\Logs\Log.txt.
#include "diag/log.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "base/system_message_win.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log_entry.h"
#include "diag/log_path.h"
#include "store/local_paths.h"

namespace sl {
namespace {

// The file is opened unshared, which keeps other processes from interleaving but would make a
// second thread of ours fail its open and lose its entry; so our own threads take turns here.
// Never destroyed, like the path below: detached threads may still log while the process ends.
std::mutex& WriteMutex() {
  static std::mutex& mutex = *new std::mutex;
  return mutex;
}

// Fixed on first use: a later change of the log root must not split one run's log in two.
const std::wstring& LogFile() {
  static const std::wstring& path = *new std::wstring([] {
    const std::string& root = Paths().logRoot;
    // A folder that cannot be made shows up as a failed open; nothing else to do about it.
    ::SHCreateDirectoryExW(nullptr, Widen(LogFolderPath(root)).c_str(), nullptr);
    return Widen(LogFilePath(root));
  }());
  return path;
}

std::u16string Compose(std::string_view source, uint32_t errorCode, std::optional<std::string_view> message) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  std::optional<std::u16string> systemText;
  if (errorCode != 0) {
    if (auto text = SystemErrorText(errorCode)) systemText.emplace(text->begin(), text->end());
  }

  LogEntryFields fields;
  fields.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  fields.source = source;
  fields.errorCode = errorCode;
  if (systemText) fields.systemText = *systemText;
  fields.message = message;
  return ComposeLogEntry(fields);
}

void WriteUnits(HANDLE file, std::u16string_view units) {
  DWORD written = 0;
  ::WriteFile(file, units.data(), static_cast<DWORD>(units.size() * sizeof(char16_t)), &written, nullptr);
}

void AppendEntry(std::string_view source, uint32_t errorCode, std::optional<std::string_view> message) {
  const std::wstring& path = LogFile();

  std::u16string composed;
  std::u16string_view entry = kLogAllocFailure;
  try {
    composed = Compose(source, errorCode, message);
    entry = composed;
  } catch (const std::bad_alloc&) {
  }

  UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // another process holds the log: drop the entry rather than wait
  ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
  WriteUnits(file.get(), entry);
  WriteUnits(file.get(), u"\r\n");  // the empty line that separates entries
}

void Write(std::string_view source, uint32_t errorCode, std::optional<std::string_view> message) {
  // Callers often log right after a failed call and then read GetLastError for their own use.
  const DWORD callerError = ::GetLastError();
  {
    std::lock_guard lock(WriteMutex());
    try {
      AppendEntry(source, errorCode, message);
    } catch (const std::bad_alloc&) {
      // No memory even for the file's path: there is nowhere to write.
    }
  }
  ::SetLastError(callerError);
}

}  // namespace

void WriteLog(std::string_view source, uint32_t errorCode) { Write(source, errorCode, std::nullopt); }

void WriteLog(std::string_view source, uint32_t errorCode, std::string_view message) {
  Write(source, errorCode, message);
}

}  // namespace sl
