#include "install/install_rules.h"

#include <cmath>
#include <regex>

#include "base/path.h"
#include "base/text.h"
#include "store/local_paths.h"

namespace sl {

std::string DefaultInstallDir(std::string_view programFiles) {
  if (programFiles.empty()) return {};
  return JoinPath(programFiles, "Oskelon\\Bao Lua");
}

std::string FindTrackingId(std::string_view exePath) {
  const size_t slash = exePath.find_last_of("\\/");
  const std::string name(slash == std::string_view::npos ? exePath : exePath.substr(slash + 1));
  static const std::regex kGuid(
      "[a-fA-F0-9]{8}-[a-fA-F0-9]{4}-[a-fA-F0-9]{4}-[a-fA-F0-9]{4}-[a-fA-F0-9]{12}");
  std::smatch match;
  return std::regex_search(name, match, kGuid) ? match.str() : std::string();
}

bool ChainErrorsAcceptable(uint32_t errorStatus) {
  return (errorStatus & ~(kTrustRevocationStatusUnknown | kTrustIsOfflineRevocation)) == 0;
}

TrustVerdict DecideTrust(SignatureState own, SignatureState file, bool sameSubject) {
  if (own == SignatureState::Unsigned) return TrustVerdict::AcceptUnchecked;
  return file == SignatureState::Valid && sameSubject ? TrustVerdict::Accept : TrustVerdict::Refuse;
}

std::string SetupRefusedText(std::string_view setupName) {
  return Format(
      "Chương trình cài đặt %.*s không có chữ ký số hợp lệ của nhà phát hành, chương trình không chạy nó.",
      static_cast<int>(setupName.size()), setupName.data());
}

std::string PackageRefusedText(std::string_view packageName) {
  return Format("Gói cập nhật %.*s không có chữ ký số hợp lệ của nhà phát hành, chương trình không cập nhật.",
                static_cast<int>(packageName.size()), packageName.data());
}

namespace {

std::optional<std::string> Judge(const DriveSpace& drive, uint64_t need) {
  if (!drive.freeBytes || need <= *drive.freeBytes) return std::nullopt;
  return Format(
      "Ổ đĩa %s không đủ dung lượng để tải và cài đặt bản cập nhật: cần %s, chỉ còn trống %s. "
      "Vui lòng giải phóng ổ đĩa rồi thử lại!",
      drive.root.c_str(), ByteCountText(need).c_str(), ByteCountText(*drive.freeBytes).c_str());
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return a + b < a ? UINT64_MAX : a + b; }

}  // namespace

void AddToSpaceNeed(SpaceNeed& need, uint64_t listedSize, uint64_t onDisk) {
  // A file longer than listed is fetched again whole; the rest resume from what they hold.
  const uint64_t missing = onDisk <= listedSize ? listedSize - onDisk : listedSize;
  need.download = SaturatingAdd(need.download, missing);
  need.install = SaturatingAdd(need.install, listedSize);
}

std::optional<std::string> ShortSpaceText(const SpaceNeed& need, const DriveSpace& download,
                                          const DriveSpace& install) {
  if (SameDrive(download.root, install.root))
    return Judge(download, SaturatingAdd(need.download, need.install));
  if (auto text = Judge(download, need.download)) return text;
  return Judge(install, need.install);
}

std::string ByteCountText(uint64_t bytes) {
  const double value = static_cast<double>(bytes);
  if (bytes >= (1ull << 30)) return Format("%.2f GB", std::ldexp(value, -30));
  if (bytes >= (1ull << 20)) return Format("%.1f MB", std::ldexp(value, -20));
  return Format("%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
}

}  // namespace sl
