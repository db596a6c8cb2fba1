#include "selfupdate/package_file_win.h"

#include <windows.h>

#include "base/ascii.h"
#include "base/format.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "install/md5_win.h"

namespace sl {

PackageVerdict JudgePackageFile(const std::string& path, std::optional<uint64_t> announcedLength) {
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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

bool PackageMatches(const std::string& path, std::optional<uint64_t> size, const std::string& md5) {
  if (!size || md5.empty()) return false;
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER onDisk{};
  if (!file || !::GetFileSizeEx(file.get(), &onDisk) || static_cast<uint64_t>(onDisk.QuadPart) != *size)
    return false;
  return EqualsNoCase(GetFileMd5(file.get(), *size, nullptr), md5);
}

}  // namespace sl
