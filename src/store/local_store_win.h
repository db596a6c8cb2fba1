// The local store on Windows: the program's folders, the install folder and the download folder,
// kept in the registry (HKLM launcher key) and on disk. Failures are silent: a key that cannot be
// opened is skipped, an unreadable value counts as absent, a folder that cannot be created is
// left for the download or install step to report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/install_state.h"

namespace sl {

// Fills Paths(): executable folder and names, %TEMP%\slvn (created, and made the log's folder)
// and the download folder setting (TempDownloadPath, else Downloads\slvn, not created). Call once
// at start-up, before any other thread exists.
void InitLocalStore();

// See the portable DetectInstallLocation: SLLocation first, the game installer's entry second.
void DetectInstallLocation(InstallState& state);

// The player's install folder, created; storeChoice also reads its version and records it.
void SetInstallDir(InstallState& state, std::string_view folder, bool storeChoice);

// The player's download folder setting, recorded in the registry. UI thread only.
void SetDownloadDir(std::string_view folder);

// The working download folder of this session, created on first use. UI thread only.
const std::string& EnsureDownloadDir();

// The player's download cap in KB/s (DownloadLimitKBps in the launcher key, store/download_limit.h);
// 0 when there is none, the value is not a DWORD, or it is absurd (above kMaxDownloadLimitKBps).
[[nodiscard]] uint32_t LoadDownloadLimit();
// Records the cap (0: none); false when the key or value could not be written.
bool StoreDownloadLimit(uint32_t kbps);
// The cap of this run: the command line's when it gave one, which is then recorded, else the
// recorded one.
[[nodiscard]] uint32_t DownloadLimitForThisRun(std::optional<uint32_t> fromCommandLine);

}  // namespace sl
