// The local store's registry keys under HKEY_LOCAL_MACHINE, always in the 64-bit view.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"

namespace sl {

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

}  // namespace sl
