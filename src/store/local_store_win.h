// The store on Windows: registry values (the launcher key, the uninstall entry), files and folders, the
// settings kept there and the install-location detection.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"
#include "store/install_state.h"

namespace sl {

// The store on Windows: registry values (the launcher key, the uninstall entry), the folders and settings
// kept there, and the install-location detection.

// The local store on Windows: the program's folders, the install folder and the download folder,
// kept in the registry (HKLM launcher key) and on disk. Failures are silent: a key that cannot be
// opened is skipped, an unreadable value counts as absent, a folder that cannot be created is
// left for the download or install step to report.

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

// The player's download cap in KB/s (DownloadLimitKBps in the launcher key, store/local_paths.h);
// 0 when there is none, the value is not a DWORD, or it is absurd (above kMaxDownloadLimitKBps).
[[nodiscard]] uint32_t LoadDownloadLimit();
// Records the cap (0: none); false when the key or value could not be written.
bool StoreDownloadLimit(uint32_t kbps);
// The cap of this run: the command line's when it gave one, which is then recorded, else the
// recorded one.
[[nodiscard]] uint32_t DownloadLimitForThisRun(std::optional<uint32_t> fromCommandLine);

// The local store's registry keys under HKEY_LOCAL_MACHINE, always in the 64-bit view.

inline constexpr wchar_t kLauncherKeyPath[] = L"SOFTWARE\\Oskelon\\vyLauncher";
// Written by the game's own installer (a 32-bit program, hence the WOW6432Node path read through the
// 64-bit view). Opened only, never created or written.
inline constexpr wchar_t kUninstallKeyPath[] =
    L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{3A6F0C1E-7B24-4D19-9E5A-2C8B41F07D63}_is1\\";

// Text values are read into this many bytes (511 characters and a terminator); longer values
// count as absent.
inline constexpr DWORD kRegValueBufferBytes = 1024;

// Opens HKLM\subKeyPath with full access, creating it when create is set and opening failed.
// Returns the Win32 result of the last step (0 = key holds the open key). A structured exception
// inside the registry calls is logged and reported as ERROR_ACCESS_DENIED.
[[nodiscard]] LONG Reg_OpenKey(UniqueRegKey& key, const wchar_t* subKeyPath, bool create);

// The text of a REG_SZ or REG_EXPAND_SZ value (the latter with its variables expanded). Empty
// when the value is missing, of another type, or larger than kRegValueBufferBytes. A value stored
// without a terminator is cut at its stored size, never read past it.
[[nodiscard]] std::wstring RegReadText(HKEY key, const wchar_t* name);

// Stores text as REG_SZ with its terminator. Text longer than RegReadText can return is refused
// (ERROR_INVALID_PARAMETER) rather than stored unreadable. Returns the Win32 result.
LONG RegWriteText(HKEY key, const wchar_t* name, std::wstring_view text);

// A REG_DWORD value; none when it is missing or of another type or size.
[[nodiscard]] std::optional<DWORD> RegReadDword(HKEY key, const wchar_t* name);

// Stores a REG_DWORD. Returns the Win32 result.
LONG RegWriteDword(HKEY key, const wchar_t* name, DWORD value);

// The disk as the local store sees it. Paths arrive as UTF-8 and are limited to what fits a
// MAX_PATH buffer (259 UTF-16 units): the product never uses long-path prefixes, and refusing here
// keeps an over-long registry value or folder choice from reaching any fixed-size Win32 buffer.

// The UTF-16 form of a path; no result when it is empty or does not fit MAX_PATH.
[[nodiscard]] std::optional<std::wstring> WidePath(std::string_view path);

// True when path names an existing file (not a folder).
[[nodiscard]] bool FileExists(std::string_view path);

// Free bytes on the fixed drive whose root is the path's first 3 characters ("C:\"); 0 for an
// empty path, any other kind of drive (network, removable, UNC) or a failed query.
[[nodiscard]] uint64_t GetDriveFreeBytes(std::string_view path);

// Bytes free to this user on the drive with this root ("D:\"), whatever its kind; none when the
// drive cannot be asked.
[[nodiscard]] std::optional<uint64_t> QueryFreeBytes(std::string_view root);

// Size of the file at path; 0 when there is none or it cannot be asked.
[[nodiscard]] uint64_t FileBytes(std::string_view path);

// Creates folder and its missing parents. True when it exists afterwards.
bool CreateFolderTree(std::string_view folder);

// The little-endian int32 in <folder>\version.dat. A shorter file fills the low bytes
// (0x34 0x12 reads 4660); a missing or unreadable file reads 0, and so does an empty folder (which
// would otherwise name \version.dat at the root of the current drive).
[[nodiscard]] int32_t ReadInstalledVersion(std::string_view folder);

}  // namespace sl
