#include "selfupdate/package_file_win.h"

#include <windows.h>

#include "base/text.h"
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
