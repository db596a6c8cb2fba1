#include "ui/folder_rules.h"

#include <cmath>

#include "base/text.h"

namespace sl {
namespace {

constexpr const char kInstallCaptionFree[] = "Vị trí cài đặt Bão lửa (Cần 20GB/%.2fGB Trống)";

}  // namespace

int32_t ComputeSpaceWarning(InstallMode mode, std::string_view installRoot, std::string_view downloadRoot,
                            double installFreeGiB, double downloadFreeGiB) {
  if (mode != MODE_FULL) return 0;
  if (SameDrive(installRoot, downloadRoot)) return installFreeGiB < kSharedDriveNeedGiB ? 3 : 0;
  const bool installShort = installFreeGiB < kFolderNeedGiB;
  const bool downloadShort = downloadFreeGiB < kFolderNeedGiB;
  if (installShort && downloadShort) return 3;
  if (installShort) return 1;
  return downloadShort ? 2 : 0;
}

std::string FolderFieldText(std::string_view folder) { return "  " + std::string(folder); }

InstallCaptions InstallCaptionsFor(InstallMode mode, double installFreeGiB, int32_t installedVersion,
                                   int32_t latestVersion) {
  switch (mode) {
    case MODE_FULL:
      return {Format(kInstallCaptionFree, installFreeGiB),
              Format("Cài đặt phiên bản mới: %d", latestVersion)};
    case MODE_PATCH:
      return {Format(kInstallCaptionFree, installFreeGiB),
              Format("Nâng cấp từ %d lên %d", installedVersion, latestVersion)};
    case MODE_NONE:
    case MODE_CURRENT:
      break;
  }
  return {"Vị trí cài đặt Bão lửa", Format("Phiên bản %d", latestVersion)};
}

std::string DownloadCaption(double downloadFreeGiB) {
  return Format("Vị trí tải tệp tin (Cần 20GB/%.2fGB Trống)", downloadFreeGiB);
}

PickVerdict JudgePickedFolder(std::string_view folder, double freeGiB) {
  if (freeGiB < kFolderNeedGiB) return PickVerdict::kShort;
  return Utf16Length(folder) == kDriveRootUnits ? PickVerdict::kDriveRoot : PickVerdict::kAccept;
}

std::string_view PickerTitle(FolderKind kind) {
  return kind == FolderKind::kInstall ? "Chọn thư mục cài đặt Stormline"
                                      : "Chọn thư mục lưu tệp tin tải xuống";
}

std::string ShortSpaceMessage(FolderKind kind, std::string_view root) {
  const std::string drive = "Ổ đĩa " + std::string(root);
  return kind == FolderKind::kInstall
             ? drive + " không đủ dung lượng cần thiết (20GB) để cài đặt. Vui lòng chọn thư mục cài đặt khác!"
             : drive + " không đủ dung lượng cần thiết (20GB). Vui lòng chọn thư mục khác!";
}

std::string DriveRootQuestion(FolderKind kind, std::string_view root) {
  const std::string asked = "Bạn chọn ổ đĩa " + std::string(root) + ", Bạn có muốn ";
  return asked + (kind == FolderKind::kInstall ? "cài vào thư mục " : "lưu tệp tin tải xuống vào thư mục ") +
         DefaultSubfolder(kind, root);
}

std::string DefaultSubfolder(FolderKind kind, std::string_view root) {
  return std::string(root) + (kind == FolderKind::kInstall ? "Oskelon\\Bao Lua" : "Downloads\\slvn");
}

}  // namespace sl
