// The folder picker, the two browse commands of the idle view and the folder texts they refresh.
// UI thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace sl {

class MainWindow;

// An explorer-style open dialog that lists folders only. "Select" opens the selected folder, or
// with none selected chooses the folder being shown. None when the player cancels.
[[nodiscard]] std::optional<std::string> ChooseFolder(HWND owner, std::string_view title,
                                                      std::string_view initialFolder);

// CMD_BROWSE_INSTALL / CMD_BROWSE_DOWNLOAD: pick until the folder's drive has 20 GB free (a drive
// root gets the default subfolder if the player agrees), record it, refresh. Idle state only.
void OnBrowseInstall(MainWindow& main);
void OnBrowseDownload(MainWindow& main);

// The folder fields, their captions with the free space, the version text and spaceWarning; ends
// by showing the idle view.
void RefreshFolderTexts(MainWindow& main);

}  // namespace sl
