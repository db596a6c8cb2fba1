#include "selfupdate/update_rules.h"

#include <algorithm>

#include "base/md5.h"
#include "base/text.h"
#include "diag/log.h"
#include "manifest/version_manifest.h"
#include "net/download_messages.h"

namespace sl {

namespace {

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

SelfUpdateView SelfUpdateViewFor(std::string_view productCaption) {
  SelfUpdateView view;
  view.caption = std::string(productCaption) + " đang cập nhật...";
  return view;
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

namespace {

// Little-endian reads that fail instead of reading past the bytes at hand.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  [[nodiscard]] bool Has(uint64_t offset, uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  [[nodiscard]] uint32_t U16(uint64_t offset) const { return Le(offset, 2); }
  [[nodiscard]] uint32_t U32(uint64_t offset) const { return Le(offset, 4); }

 private:
  [[nodiscard]] uint32_t Le(uint64_t offset, int count) const {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    return value;
  }
  std::string_view bytes_;
};

// The optional header a program for `machine` carries: PE32 for x86, PE32+ for x86-64; 0 for others.
uint32_t OptionalHeaderMagic(uint32_t machine) {
  if (machine == kMachineI386) return kPe32Magic;
  if (machine == kMachineAmd64) return kPe32PlusMagic;
  return 0;
}

// The length an x86 or x86-64 executable's headers and sections need; none when `head` is not one.
std::optional<uint64_t> ImageLength(std::string_view head) {
  const Reader r(head);
  if (!r.Has(0, 0x40) || head.substr(0, 2) != "MZ") return std::nullopt;
  const uint64_t pe = r.U32(0x3C);
  if (!r.Has(pe, 4 + kCoffHeaderBytes) || head.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const uint64_t coff = pe + 4;
  const uint32_t sections = r.U16(coff + 2);
  const uint32_t optionalBytes = r.U16(coff + 16);
  const uint32_t characteristics = r.U16(coff + 18);
  const uint32_t magic = OptionalHeaderMagic(r.U16(coff));
  if (magic == 0 || (characteristics & kExecutableImage) == 0 || (characteristics & kDll) != 0 ||
      sections == 0) {
    return std::nullopt;
  }
  const uint64_t optional = coff + kCoffHeaderBytes;
  // Magic, then SizeOfHeaders at offset 60 of both optional header forms.
  if (optionalBytes < 64 || !r.Has(optional, optionalBytes) || r.U16(optional) != magic) {
    return std::nullopt;
  }
  const uint64_t table = optional + optionalBytes;
  if (!r.Has(table, uint64_t{sections} * kSectionHeaderBytes)) return std::nullopt;
  uint64_t length = r.U32(optional + 60);
  for (uint32_t i = 0; i < sections; ++i) {
    const uint64_t section = table + uint64_t{i} * kSectionHeaderBytes;
    const uint64_t rawSize = r.U32(section + 16);
    if (rawSize > 0) length = std::max(length, r.U32(section + 20) + rawSize);
  }
  return length;
}

}  // namespace

PackageVerdict JudgePackage(std::string_view head, uint64_t fileSize,
                            std::optional<uint64_t> announcedLength) {
  // A transfer that ended short is resumable whatever its first bytes look like so far.
  if (announcedLength && fileSize != *announcedLength) return PackageVerdict::Incomplete;
  const std::optional<uint64_t> needed = ImageLength(head);
  if (!needed) return PackageVerdict::NotExecutable;
  return fileSize < *needed ? PackageVerdict::Incomplete : PackageVerdict::Ready;
}

namespace {

struct StatusRow {
  int32_t code;
  StatusReaction reaction;
};

constexpr StatusRow kStatusTable[] = {
    {MDS_STATUS_PREPARING, {.labelPrefix = "Bắt đầu tải: ", .ends = false}},
    {MDS_STATUS_DOWNLOADING, {.labelPrefix = "Đang tải: ", .ends = false}},
    {MDS_STATUS_DONE, {.labelPrefix = "Đã tải xong: ", .ends = true}},
    {MDS_STATUS_FAILED, {.labelPrefix = "Gặp lỗi:: ", .ends = true}},
};

}  // namespace

std::optional<StatusReaction> ReactionTo(int32_t statusCode) {
  for (const StatusRow& row : kStatusTable) {
    if (row.code == statusCode) return row.reaction;
  }
  return std::nullopt;
}

std::optional<double> DownloadPercent(int64_t done, int64_t total) {
  if (total == 0) return std::nullopt;
  return static_cast<double>(done) / static_cast<double>(total) * 100.0;
}

}  // namespace sl
