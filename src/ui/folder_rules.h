// The folder choice's rules: free space in GiB, the 20 GB verdicts, drive roots and the texts of
// the folder fields, their captions and the browse commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/install_state.h"
#include "store/local_paths.h"

namespace sl {

// A release needs 20 GB for its files and 20 GB to install them; one drive holding both needs 40.
inline constexpr double kFolderNeedGiB = 20.0;
inline constexpr double kSharedDriveNeedGiB = 40.0;

// The free-space verdict the start buttons obey (InstallState::spaceWarning): 0 enough, 1 the
// install drive is short, 2 the download drive is short, 3 both, or one shared drive is short.
// Only a full install is checked: a patch, an up-to-date game or an unknown release never warns.
[[nodiscard]] int32_t ComputeSpaceWarning(InstallMode mode, std::string_view installRoot,
                                          std::string_view downloadRoot, double installFreeGiB,
                                          double downloadFreeGiB);

// "  <folder>": the folder fields keep two spaces before the path.
[[nodiscard]] std::string FolderFieldText(std::string_view folder);

struct InstallCaptions {
  std::string location;  // installDirLabel
  std::string version;   // versionLabel
};

[[nodiscard]] InstallCaptions InstallCaptionsFor(InstallMode mode, double installFreeGiB,
                                                 int32_t installedVersion, int32_t latestVersion);
[[nodiscard]] std::string DownloadCaption(double downloadFreeGiB);

enum class FolderKind { kInstall, kDownload };

enum class PickVerdict {
  kShort,      // refused: tell the player and open the picker again
  kDriveRoot,  // enough space, but a whole drive: offer the default subfolder
  kAccept,
};

[[nodiscard]] PickVerdict JudgePickedFolder(std::string_view folder, double freeGiB);

// Texts of the browse commands. Folders are inserted as they are, never read as formats.
[[nodiscard]] std::string_view PickerTitle(FolderKind kind);
[[nodiscard]] std::string ShortSpaceMessage(FolderKind kind, std::string_view root);
[[nodiscard]] std::string DriveRootQuestion(FolderKind kind, std::string_view root);
// The folder offered when a drive root is picked, e.g. D:\ → D:\Oskelon\Bao Lua.
[[nodiscard]] std::string DefaultSubfolder(FolderKind kind, std::string_view root);

}  // namespace sl
