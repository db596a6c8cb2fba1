#include "selfupdate/update_rules.h"

#include "base/text.h"
#include "base/md5.h"
#include "diag/log.h"
#include "manifest/version_manifest.h"

namespace sl {
namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;

// The last four characters of a file name: its extension as the self-update files use it.
std::string_view Extension(std::string_view name) {
  return name.size() >= 4 ? name.substr(name.size() - 4) : std::string_view();
}

}  // namespace

int32_t ParseLauncherVersion(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  const std::optional<int32_t> number = LeadingInt32(text);
  if (!number) return 0;
  const int32_t value = *number;
  if (value < 1) {
    WriteLog("CheckSelfUpdate", 0,
             Format("version.ini: %lld không phải là số phiên bản, bỏ qua cập nhật",
                    static_cast<long long>(value)));
    return 0;
  }
  return value;
}

LauncherManifest ParseLauncherManifest(std::string_view text) {
  LauncherManifest manifest;
  manifest.version = ParseLauncherVersion(text);
  manifest.packageSize = ParseDecimalDigits(GetIniValue(text, "PackageSize"));
  std::string md5 = GetIniValue(text, "PackageMD5");
  if (IsMd5Text(md5)) {
    for (char& c : md5) c = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    manifest.packageMd5 = md5;
  }
  return manifest;
}

Role RoleOf(std::string_view exeName) {
  const std::string_view extension = Extension(exeName);
  if (EqualsNoCase(extension, ".exe")) return Role::Main;
  if (EqualsNoCase(extension, ".bin")) return Role::Copy;
  return Role::Other;
}

CheckOutcome DecideCheck(int32_t serverVersion, int32_t ownVersion, Role role) {
  if (serverVersion <= ownVersion) return CheckOutcome::Continue;
  switch (role) {
    case Role::Main:
      return CheckOutcome::AskPlayer;
    case Role::Copy:
      return CheckOutcome::ApplyOrDownload;
    case Role::Other:
      break;
  }
  return CheckOutcome::Download;
}

std::string UpdatePrompt(int32_t version) {
  return Format("Bạn đang ở phiên bản cũ. Bạn có muốn cập nhật phiên bản %d.%d.%d.%d mới nhất không?",
                static_cast<int>(version / 1000), static_cast<int>(version % 1000 / 100),
                static_cast<int>(version % 100 / 10), static_cast<int>(version % 10));
}

std::string LauncherManifestUrl(std::string_view baseUrl, int32_t ownVersion) {
  return Format("%.*s/launcher/version.ini?t=%d", static_cast<int>(baseUrl.size()), baseUrl.data(),
                static_cast<int>(ownVersion));
}

std::string PackageUrl(std::string_view baseUrl, int32_t version) {
  return Format("%.*s/launcher/Stormline_VN_%d.zip", static_cast<int>(baseUrl.size()), baseUrl.data(),
                static_cast<int>(version));
}

std::string PartialPackageName(std::string_view packageName) { return std::string(packageName) + ".part"; }

std::string_view ApplyErrorText(uint32_t systemError) {
  switch (systemError) {
    case kErrorAccessDenied:
      return "Bạn vui lòng chạy chương trình với quyền Admin để thực hiện update";
    case kErrorSharingViolation:
      return "Bạn vui lòng tắt Stormline VN trước khi thực hiện quá trình update";
    default:
      return "Lỗi không xác định, vui lòng thử lại sau...";
  }
}

bool IsHandOverPartner(std::string_view image, std::string_view ownImage) {
  const size_t imageSlash = image.rfind('\\');
  const size_t ownSlash = ownImage.rfind('\\');
  if (imageSlash == std::string_view::npos || ownSlash == std::string_view::npos) return false;
  if (!EqualsNoCase(image.substr(0, imageSlash), ownImage.substr(0, ownSlash))) return false;
  const std::string_view name = image.substr(imageSlash + 1);
  const std::string_view ownName = ownImage.substr(ownSlash + 1);
  if (name.size() != ownName.size() || name.size() < 4) return false;
  const size_t base = name.size() - 4;
  return EqualsNoCase(name.substr(0, base), ownName.substr(0, base)) && RoleOf(name) != Role::Other;
}

}  // namespace sl
