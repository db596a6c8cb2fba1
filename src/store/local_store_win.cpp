#include "store/local_store_win.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "base/path.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "diag/seh_guard_win.h"
#include "store/install_state.h"
#include "store/local_paths.h"

namespace sl {

namespace {

// The real registry and disk. Keys stay open for the backend's lifetime: one store operation.
class RegistryBackend final : public StoreBackend {
 public:
  bool OpenKey(StoreKey which) override {
    UniqueRegKey& key = Slot(which);
    if (!key) {
      const bool isLauncher = which == StoreKey::kLauncher;
      if (Reg_OpenKey(key, isLauncher ? kLauncherKeyPath : kUninstallKeyPath, isLauncher) != ERROR_SUCCESS) {
        return false;
      }
    }
    return true;
  }

  std::string ReadValue(StoreKey which, const char* name) override {
    const UniqueRegKey& key = Slot(which);
    if (!key) return {};
    const std::wstring text = RegReadText(key.get(), Widen(name).c_str());
    // Every value the store reads names a folder; one that cannot be a usable path is absent.
    if (text.size() >= MAX_PATH) return {};
    return Narrow(text);
  }

  void WriteLauncherValue(const char* name, std::string_view text) override {
    if (launcher_) RegWriteText(launcher_.get(), Widen(name).c_str(), Widen(text));
  }

  int32_t ReadInstalledVersion(std::string_view folder) override { return sl::ReadInstalledVersion(folder); }

  void CreateFolderTree(std::string_view folder) override { sl::CreateFolderTree(folder); }

 private:
  UniqueRegKey& Slot(StoreKey which) { return which == StoreKey::kLauncher ? launcher_ : uninstall_; }

  UniqueRegKey launcher_;
  UniqueRegKey uninstall_;
};

// The running executable's full path, however long.
std::wstring ModulePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    // Truncated: the longest path Windows can hand back is 32767 units.
    if (buffer.size() > 32767) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring TempFolder() {
  const DWORD needed = ::GetTempPathW(0, nullptr);
  if (needed == 0) return {};
  std::wstring buffer(needed, L'\0');
  const DWORD length = ::GetTempPathW(needed, buffer.data());
  if (length == 0 || length >= needed) return {};
  buffer.resize(length);
  return buffer;
}

std::wstring DownloadsFolder() {
  PWSTR raw = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &raw);
  std::wstring folder = SUCCEEDED(result) && raw != nullptr ? std::wstring(raw) : std::wstring();
  ::CoTaskMemFree(raw);  // owed even when the call failed
  return folder;
}

}  // namespace

void InitLocalStore() {
  LocalPaths& paths = Paths();

  const std::wstring exePath = ModulePath();
  const size_t slash = exePath.rfind(L'\\');
  const std::wstring_view exeName =
      slash == std::wstring::npos ? std::wstring_view(exePath) : std::wstring_view(exePath).substr(slash + 1);
  paths.exeDir =
      slash == std::wstring::npos ? std::string() : Narrow(std::wstring_view(exePath).substr(0, slash));
  paths.exeName = Narrow(exeName);
  // Cut in UTF-16: the last 4 characters are ".exe", 4 bytes only when the name is ASCII.
  paths.exeBaseName = Narrow(exeName.substr(0, exeName.size() >= 4 ? exeName.size() - 4 : 0));

  const std::wstring temp = TempFolder();
  if (!temp.empty()) {
    paths.logRoot = JoinPath(Narrow(temp), "slvn");
    CreateFolderTree(paths.logRoot);
  }
  RegistryBackend backend;
  std::string downloads;
  if (backend.OpenKey(StoreKey::kLauncher)) {
    downloads = backend.ReadValue(StoreKey::kLauncher, kDownloadPathValue);
  }
  if (downloads.empty()) {
    const std::wstring known = DownloadsFolder();
    if (!known.empty()) downloads = JoinPath(Narrow(known), "slvn");
  }
  if (!downloads.empty()) paths.downloadDirSetting = downloads;
}

void DetectInstallLocation(InstallState& state) {
  RegistryBackend backend;
  DetectInstallLocation(state, backend);
}

void SetInstallDir(InstallState& state, std::string_view folder, bool storeChoice) {
  RegistryBackend backend;
  SetInstallDir(state, folder, storeChoice, backend);
}

void SetDownloadDir(std::string_view folder) {
  RegistryBackend backend;
  SetDownloadDir(Paths(), folder, backend);
}

const std::string& EnsureDownloadDir() {
  RegistryBackend backend;
  return EnsureDownloadDir(Paths(), backend);
}

uint32_t LoadDownloadLimit() {
  UniqueRegKey key;
  if (Reg_OpenKey(key, kLauncherKeyPath, /*create=*/false) != ERROR_SUCCESS) return 0;
  return SaneDownloadLimit(RegReadDword(key.get(), Widen(kDownloadLimitValue).c_str()).value_or(0));
}

bool StoreDownloadLimit(uint32_t kbps) {
  UniqueRegKey key;
  return Reg_OpenKey(key, kLauncherKeyPath, /*create=*/true) == ERROR_SUCCESS &&
         RegWriteDword(key.get(), Widen(kDownloadLimitValue).c_str(), SaneDownloadLimit(kbps)) ==
             ERROR_SUCCESS;
}

uint32_t DownloadLimitForThisRun(std::optional<uint32_t> fromCommandLine) {
  if (!fromCommandLine) return LoadDownloadLimit();
  if (!StoreDownloadLimit(*fromCommandLine)) {
    WriteLog("MStoreLocal::StoreDownloadLimit", 0,
             "Không ghi được giới hạn tốc độ tải vào registry, chỉ dùng cho lần chạy này");
  }
  return SaneDownloadLimit(*fromCommandLine);
}

namespace {

// Pinned to the 64-bit view so the key paths mean the same whatever the build's bitness.
constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;

std::wstring ExpandVariables(const std::wstring& text) {
  const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::wstring expanded(needed, L'\0');
  const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return {};
  expanded.resize(written - 1);
  return expanded;
}

}  // namespace

LONG Reg_OpenKey(UniqueRegKey& key, const wchar_t* subKeyPath, bool create) {
  key.reset();
  // Out-parameters of failed calls are not promised to stay null: only a success hands over a key.
  HKEY opened = nullptr;
  LONG result = ERROR_ACCESS_DENIED;
  const bool completed = RunGuarded("MStoreLocal::Reg_OpenKey", [&] {
    result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKeyPath, 0, kAccess, &opened);
    if (result != ERROR_SUCCESS && create) {
      result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKeyPath, 0, nullptr, 0, kAccess, nullptr, &opened,
                                 nullptr);
    }
  });
  if (!completed) return ERROR_ACCESS_DENIED;
  if (result == ERROR_SUCCESS) key.reset(opened);
  return result;
}

std::wstring RegReadText(HKEY key, const wchar_t* name) {
  wchar_t buffer[kRegValueBufferBytes / sizeof(wchar_t)] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof(buffer);
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  // The stored size bounds the text; a terminator inside it ends the text earlier.
  std::wstring_view text(buffer, std::min<DWORD>(size, sizeof(buffer)) / sizeof(wchar_t));
  text = text.substr(0, text.find(L'\0'));
  if (type == REG_EXPAND_SZ) return ExpandVariables(std::wstring(text));
  return std::wstring(text);
}

LONG RegWriteText(HKEY key, const wchar_t* name, std::wstring_view text) {
  const std::wstring terminated(text);
  if (terminated.size() >= kRegValueBufferBytes / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
  const DWORD bytes = static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()), bytes);
}

std::optional<DWORD> RegReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return std::nullopt;
  }
  return value;
}

LONG RegWriteDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

std::optional<std::wstring> WidePath(std::string_view path) {
  std::wstring wide = Widen(path);
  if (wide.empty() || wide.size() >= MAX_PATH) return std::nullopt;
  return wide;
}

bool FileExists(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

uint64_t GetDriveFreeBytes(std::string_view path) {
  // Cut in UTF-16 so a non-ASCII start cannot split a character into a bogus root.
  const std::wstring root = Widen(path).substr(0, 3);
  if (root.empty()) return 0;
  if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return 0;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) return 0;
  return totalFree.QuadPart;
}

std::optional<uint64_t> QueryFreeBytes(std::string_view root) {
  const std::optional<std::wstring> wide = WidePath(root);
  ULARGE_INTEGER available{};
  if (!wide || !::GetDiskFreeSpaceExW(wide->c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

uint64_t FileBytes(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!wide || !::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CreateFolderTree(std::string_view folder) {
  const std::optional<std::wstring> wide = WidePath(folder);
  if (!wide) return false;
  // Its "already exists" results do not say whether a folder or a file is in the way: look.
  ::SHCreateDirectoryExW(nullptr, wide->c_str(), nullptr);
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int32_t ReadInstalledVersion(std::string_view folder) {
  if (folder.empty()) return 0;
  const std::optional<std::wstring> path = WidePath(JoinPath(folder, "version.dat"));
  if (!path) return 0;
  const UniqueFile file = OpenFileForReading(path->c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (!file) return 0;
  unsigned char bytes[4] = {};
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes, sizeof(bytes), &read, nullptr)) return 0;
  uint32_t value = 0;
  for (DWORD i = 0; i < read && i < sizeof(bytes); ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return static_cast<int32_t>(value);
}

}  // namespace sl
