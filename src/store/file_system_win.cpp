#include "store/file_system_win.h"

#include <windows.h>
#include <shlobj.h>

#include "base/path.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"

namespace sl {

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
  UniqueFile file(::CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  unsigned char bytes[4] = {};
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes, sizeof(bytes), &read, nullptr)) return 0;
  uint32_t value = 0;
  for (DWORD i = 0; i < read && i < sizeof(bytes); ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return static_cast<int32_t>(value);
}

}  // namespace sl
