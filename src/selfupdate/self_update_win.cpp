#include "selfupdate/self_update_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <string>

#include "base/build_info.h"
#include "base/path.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "install/install_worker_win.h"
#include "install/verify_win.h"
#include "net/http_helper_win.h"
#include "selfupdate/update_rules.h"
#include "store/local_store_win.h"
#include "store/local_paths.h"

namespace sl {

// The portable system error numbers and image format values are the SDK's.
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kMachineI386 == IMAGE_FILE_MACHINE_I386 && kMachineAmd64 == IMAGE_FILE_MACHINE_AMD64);
static_assert(kExecutableImage == IMAGE_FILE_EXECUTABLE_IMAGE && kDll == IMAGE_FILE_DLL);
static_assert(kPe32Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC && kPe32PlusMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC);
static_assert(kCoffHeaderBytes == sizeof(IMAGE_FILE_HEADER) &&
              kSectionHeaderBytes == sizeof(IMAGE_SECTION_HEADER));

namespace {

constexpr char kCheckSource[] = "CheckSelfUpdate";
constexpr char kApplySource[] = "ApplyUpdate";

// A package left by an earlier run is used only when it is a whole program with the length and MD5
// the launcher manifest gives: anything else under that name (a write cut short, an older build,
// a file of unknown origin) is removed and the package is fetched again.
bool PackageReady(const std::string& packagePath, const SelfUpdateRequest& request) {
  if (!FileExists(packagePath)) return false;
  if (request.packageSize && !request.packageMd5.empty() &&
      JudgePackageFile(packagePath, request.packageSize) == PackageVerdict::Ready) {
    const UniqueFile held = LockForLaunch(packagePath);
    if (MatchesManifest(held.get(), request.packageSize, request.packageMd5) &&
        SignedLikeThisProgram(packagePath, held.get()))
      return true;
  }
  WriteLog(kCheckSource, 0, Format("Gói cập nhật không dùng được, xóa: %s", packagePath.c_str()));
  ::DeleteFileW(Widen(packagePath).c_str());
  return false;
}

// Renames `from` over `to` in one step. A reader that still holds the old program for a moment (a
// scanner, the shell) refuses the rename: it is tried again for up to 15 seconds.
DWORD MoveOver(const std::wstring& from, const std::wstring& to) {
  constexpr int kTries = 150;
  constexpr DWORD kPauseMs = 100;
  for (int attempt = 1;; ++attempt) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == kTries) return error;
    ::Sleep(kPauseMs);
  }
}

// The main file offers the update; on Yes it starts a copy of itself that replaces it.
bool HandOverToCopy(const SelfUpdateRequest& request) {
  const std::string prompt = UpdatePrompt(request.serverVersion);
  if (::MessageBoxW(request.owner, Widen(prompt).c_str(), Widen(request.caption).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDNO) {
    return false;
  }
  const LocalPaths& paths = Paths();
  const std::string copyName = MakeBinName();
  static_cast<void>(WaitForProcessExit(copyName));
  // Always a fresh copy of this very program: a file found under the copy's name, which anyone
  // could have put there, is never started elevated in its place.
  if (!::CopyFileW(Widen(JoinPath(paths.exeDir, paths.exeName)).c_str(),
                   Widen(JoinPath(paths.exeDir, copyName)).c_str(), FALSE)) {
    WriteLog(kCheckSource, ::GetLastError(), Format("Không sao chép được %s", copyName.c_str()));
    return false;
  }
  if (!RunProgram(paths.exeDir, copyName)) {
    // Ending now would leave the player with nothing running; the installer goes on instead.
    WriteLog(kCheckSource, ::GetLastError(), Format("Không chạy được %s", copyName.c_str()));
    return false;
  }
  return true;
}

}  // namespace

std::string FetchLauncherManifest(const StopFlag* stop) {
  // A failed fetch logs itself and leaves the text empty: no update.
  const std::string text = FetchTextWithRetries(LauncherManifestUrl(DownloadBaseUrl(), OwnVersionNumber()),
                                                nullptr, stop, kStartupRetryBudgetMs, kCheckSource)
                               .value_or(std::string());
  ::OutputDebugStringW(Widen(text).c_str());
  return text;
}

bool CheckSelfUpdate(SelfUpdateRequest& request, const std::string& launcherManifest) {
  const LauncherManifest manifest = ParseLauncherManifest(launcherManifest);
  request.serverVersion = manifest.version;
  request.packageSize = manifest.packageSize;
  request.packageMd5 = manifest.packageMd5;
  const LocalPaths& paths = Paths();
  ::SetCurrentDirectoryW(Widen(paths.exeDir).c_str());
  // Running as the main file, the program an update replaced is no longer needed.
  if (RoleOf(paths.exeName) == Role::Main)
    ::DeleteFileW(Widen(JoinPath(paths.exeDir, MakeBackupName())).c_str());

  switch (DecideCheck(request.serverVersion, OwnVersionNumber(), RoleOf(paths.exeName))) {
    case CheckOutcome::Continue: {
      const std::string copyPath = JoinPath(paths.exeDir, MakeBinName());
      if (FileExists(copyPath)) ::DeleteFileW(Widen(copyPath).c_str());
      return false;
    }
    case CheckOutcome::AskPlayer:
      if (!HandOverToCopy(request)) return false;
      ::ExitProcess(0);
    case CheckOutcome::ApplyOrDownload: {
      const std::string packagePath = JoinPath(paths.exeDir, MakeZipName(request.serverVersion));
      if (!PackageReady(packagePath, request)) return true;
      ApplyUpdate(paths.exeDir, MakeExeName(), packagePath, paths.exeName, request.packageSize,
                  request.packageMd5);
      ::ExitProcess(0);
    }
    case CheckOutcome::Download:
      break;
  }
  return true;
}

namespace {

void ShowApplyError(DWORD error) {
  ::MessageBoxW(nullptr, Widen(ApplyErrorText(error)).c_str(), Widen(kApplyErrorCaption).c_str(),
                MB_ICONERROR);
}

}  // namespace

bool ApplyUpdate(const std::string& folder, const std::string& target, const std::string& package,
                 const std::string& ownName, std::optional<uint64_t> packageSize,
                 const std::string& packageMd5) {
  const bool targetEnded = WaitForProcessExit(target);
  const std::string targetFile = JoinPath(folder, target);
  const std::wstring targetPath = Widen(targetFile);
  const std::wstring backupPath = Widen(JoinPath(folder, MakeBackupName()));
  const bool hadTarget = FileExists(targetFile);
  ::DeleteFileW(backupPath.c_str());
  // A copy of the old program first, then one rename: at every moment a whole program stands under
  // the target's name, whatever cuts the update short.
  DWORD error = ERROR_SUCCESS;
  if (!targetEnded) {
    error = ERROR_SHARING_VIOLATION;
  } else if (hadTarget && !::CopyFileW(targetPath.c_str(), backupPath.c_str(), FALSE)) {
    error = ::GetLastError();
  } else {
    error = MoveOver(Widen(package), targetPath);
  }
  if (error != ERROR_SUCCESS) {
    WriteLog(kApplySource, error, Format("MoveFileExW %s -> %s", package.c_str(), target.c_str()));
    ::DeleteFileW(backupPath.c_str());
    ShowApplyError(error);
    return false;
  }
  // Held from its last check to its start, the new program cannot be swapped under the elevated
  // start; one that is not what was checked, or does not start, gives way to the old one.
  UniqueFile held = LockForLaunch(targetFile);
  const bool trusted =
      MatchesManifest(held.get(), packageSize, packageMd5) && SignedLikeThisProgram(targetFile, held.get());
  const bool started = trusted && RunProgram(folder, target);
  if (!started) error = trusted ? ::GetLastError() : ERROR_BAD_EXE_FORMAT;
  held.reset();
  if (!started) {
    WriteLog(kApplySource, error, Format("Không chạy được %s, trả lại bản cũ", target.c_str()));
    // Without an old program to put back, one that failed its checks must not stay to be started.
    if (!trusted && !hadTarget) ::DeleteFileW(targetPath.c_str());
    const DWORD restored = hadTarget ? MoveOver(backupPath, targetPath) : ERROR_FILE_NOT_FOUND;
    if (restored != ERROR_SUCCESS) {
      WriteLog(kApplySource, restored, Format("Không trả lại được %s", target.c_str()));
    } else if (!RunProgram(folder, target)) {
      WriteLog(kApplySource, ::GetLastError(), Format("Không chạy được bản cũ %s", target.c_str()));
    }
    ShowApplyError(error);
    return false;
  }
  const std::wstring wideOwnName = Widen(ownName);
  const std::wstring targetName = Widen(target);
  if (::CompareStringOrdinal(wideOwnName.c_str(), static_cast<int>(wideOwnName.size()), targetName.c_str(),
                             static_cast<int>(targetName.size()), TRUE) != CSTR_EQUAL) {
    ::DeleteFileW(Widen(JoinPath(folder, ownName)).c_str());
  }
  return true;
}

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

PackageVerdict JudgePackageFile(const std::string& path, std::optional<uint64_t> announcedLength) {
  const UniqueFile file = OpenFileForReading(Widen(path).c_str());
  LARGE_INTEGER size{};
  std::string head(kPackageHeadBytes, '\0');
  DWORD read = 0;
  if (!file || !::GetFileSizeEx(file.get(), &size) ||
      !::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) {
    WriteLog("JudgePackageFile", ::GetLastError(), Format("Không đọc được gói cập nhật: %s", path.c_str()));
    return PackageVerdict::NotExecutable;
  }
  head.resize(read);
  return JudgePackage(head, static_cast<uint64_t>(size.QuadPart), announcedLength);
}

bool MatchesManifest(HANDLE held, std::optional<uint64_t> size, const std::string& md5) {
  LARGE_INTEGER onDisk{};
  if (held == nullptr || held == INVALID_HANDLE_VALUE || !::GetFileSizeEx(held, &onDisk)) return false;
  const auto length = static_cast<uint64_t>(onDisk.QuadPart);
  if (size && length != *size) return false;
  if (!md5.empty()) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(held, start, nullptr, FILE_BEGIN) ||
        !EqualsNoCase(GetFileMd5(held, length, nullptr), md5))
      return false;
  }
  return true;
}

}  // namespace sl
