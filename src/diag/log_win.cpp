// WriteLog for Windows: appends UTF-16LE entries to <log root>\Logs\Log.txt.
#include "diag/log.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "base/text_win.h"
#include "base/unique_handle_win.h"

namespace sl {
namespace {

// Never destroyed, like the lock and the path below: detached threads may still log while the
// process ends.
struct LogRoot {
  std::mutex mutex;
  std::string folder;  // guarded by mutex
};

LogRoot& Root() {
  static LogRoot& root = *new LogRoot;
  return root;
}

// The file is opened unshared, which keeps other processes from interleaving but would make a
// second thread of ours fail its open and lose its entry; so our own threads take turns here.
std::mutex& WriteMutex() {
  static std::mutex& mutex = *new std::mutex;
  return mutex;
}

// Fixed on first use: a later change of the log root must not split one run's log in two.
const std::wstring& LogFile() {
  static const std::wstring& path = *new std::wstring([] {
    std::string root;
    {
      std::lock_guard lock(Root().mutex);
      root = Root().folder;
    }
    // A folder that cannot be made shows up as a failed open; nothing else to do about it.
    ::SHCreateDirectoryExW(nullptr, Widen(LogFolderPath(root)).c_str(), nullptr);
    return Widen(LogFilePath(root));
  }());
  return path;
}

// What an entry says, copied out of the caller's memory.
struct EntryText {
  std::string source;
  uint32_t errorCode = 0;
  std::optional<std::string> message;
  std::optional<std::u16string> systemText;
};

EntryText Gather(std::string_view source, uint32_t errorCode, std::optional<std::string_view> message) {
  EntryText text;
  text.source = source;
  text.errorCode = errorCode;
  if (message) text.message.emplace(*message);
  if (errorCode != 0) {
    if (auto system = SystemErrorText(errorCode)) text.systemText.emplace(system->begin(), system->end());
  }
  return text;
}

// Stamped under the write lock, so the file's entries stay in time order.
std::u16string Compose(const EntryText& text) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LogEntryFields fields;
  fields.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  fields.source = text.source;
  fields.errorCode = text.errorCode;
  fields.systemText = text.systemText;
  fields.message = text.message;
  return ComposeLogEntry(fields);
}

void WriteUnits(HANDLE file, std::u16string_view units) {
  DWORD written = 0;
  ::WriteFile(file, units.data(), static_cast<DWORD>(units.size() * sizeof(char16_t)), &written, nullptr);
}

// Call with the write lock held; text is empty when there was no memory to copy it.
void AppendEntry(const std::wstring& path, const std::optional<EntryText>& text) {
  std::u16string composed;
  std::u16string_view entry = kLogAllocFailure;
  if (text) {
    try {
      composed = Compose(*text);
      entry = composed;
    } catch (const std::bad_alloc&) {
    }
  }

  // Readers (a log viewer following the file) may look on; a second writer may not, so entries of
  // two processes never interleave.
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // another process writes the log: drop the entry rather than wait
  ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
  WriteUnits(file.get(), entry);
  WriteUnits(file.get(), u"\r\n");  // the empty line that separates entries
}

void Write(std::string_view source, uint32_t errorCode, std::optional<std::string_view> message) {
  // Callers often log right after a failed call and then read GetLastError for their own use.
  const DWORD callerError = ::GetLastError();
  // The caller's text is read before the lock is taken. A structured exception raised while reading
  // it ends in a guard (RunGuarded) that skips destructors: under the lock it would leave the lock
  // held and every later entry waiting for it.
  std::optional<EntryText> text;
  try {
    text.emplace(Gather(source, errorCode, message));
  } catch (const std::bad_alloc&) {
    // Written as the allocation-failure entry.
  }
  try {
    const std::wstring& path = LogFile();
    std::lock_guard lock(WriteMutex());
    AppendEntry(path, text);
  } catch (const std::bad_alloc&) {
    // No memory even for the file's path: there is nowhere to write.
  }
  ::SetLastError(callerError);
}

}  // namespace

void SetLogFolder(std::string_view logRoot) {
  std::lock_guard lock(Root().mutex);
  Root().folder = logRoot;
}

void WriteLog(std::string_view source, uint32_t errorCode) { Write(source, errorCode, std::nullopt); }

void WriteLog(std::string_view source, uint32_t errorCode, std::string_view message) {
  Write(source, errorCode, message);
}

}  // namespace sl
