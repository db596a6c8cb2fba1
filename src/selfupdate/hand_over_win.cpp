#include "selfupdate/hand_over_win.h"

#include <tlhelp32.h>

#include <optional>
#include <string>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "selfupdate/update_rules.h"

namespace sl {
namespace {

constexpr DWORD kProcessExitWaitMs = 5000;
constexpr DWORD kLongestPath = 32768;

// The first running process, in snapshot order, for which match(entry) holds.
template <typename Match>
std::optional<PROCESSENTRY32W> FindProcess(Match match) {
  // A snapshot that cannot be taken is INVALID_HANDLE_VALUE, as a file that cannot be opened.
  const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (match(entry)) return entry;
  }
  return std::nullopt;
}

std::string ImagePath(HANDLE process) {
  std::wstring path(kLongestPath, L'\0');
  DWORD length = kLongestPath;
  if (!::QueryFullProcessImageNameW(process, 0, path.data(), &length)) return {};
  path.resize(length);
  return Narrow(path);
}

std::optional<FILETIME> CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
  return created;
}

}  // namespace

bool WaitForProcessExit(std::string_view exeName) {
  const std::wstring name = Widen(exeName);
  const DWORD self = ::GetCurrentProcessId();
  const auto found = FindProcess([&](const PROCESSENTRY32W& entry) {
    return entry.th32ProcessID != self &&
           ::CompareStringOrdinal(entry.szExeFile, -1, name.c_str(), static_cast<int>(name.size()), TRUE) ==
               CSTR_EQUAL;
  });
  if (!found) return true;
  const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, found->th32ProcessID));
  return !process || ::WaitForSingleObject(process.get(), kProcessExitWaitMs) == WAIT_OBJECT_0;
}

void WaitForPredecessor(DWORD timeoutMs) {
  const DWORD self = ::GetCurrentProcessId();
  const auto own = FindProcess([&](const PROCESSENTRY32W& entry) { return entry.th32ProcessID == self; });
  if (!own) return;
  const UniqueKernelHandle parent(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, own->th32ParentProcessID));
  if (!parent) return;
  // A parent that ended long ago may have passed its id on to a later process.
  // Times that cannot be read prove nothing: no wait then.
  const std::optional<FILETIME> parentCreated = CreationTime(parent.get());
  const std::optional<FILETIME> ownCreated = CreationTime(::GetCurrentProcess());
  if (!parentCreated || !ownCreated || ::CompareFileTime(&*parentCreated, &*ownCreated) > 0) return;
  if (!IsHandOverPartner(ImagePath(parent.get()), ImagePath(::GetCurrentProcess()))) return;
  ::WaitForSingleObject(parent.get(), timeoutMs);
}

}  // namespace sl
