#include "store/registry_win.h"

#include <algorithm>

#include "diag/seh_guard_win.h"

namespace sl {
namespace {

// Pinned to the 64-bit view so the key paths mean the same whatever the build's bitness.
constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;

std::wstring ExpandVariables(const std::wstring& text) {
  const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::wstring expanded(needed, L'\0');
  const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return {};
  expanded.resize(written - 1);
  return expanded;
}

}  // namespace

LONG Reg_OpenKey(UniqueRegKey& key, const wchar_t* subKeyPath, bool create) {
  key.reset();
  // Out-parameters of failed calls are not promised to stay null: only a success hands over a key.
  HKEY opened = nullptr;
  LONG result = ERROR_ACCESS_DENIED;
  const bool completed = RunGuarded("MStoreLocal::Reg_OpenKey", [&] {
    result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKeyPath, 0, kAccess, &opened);
    if (result != ERROR_SUCCESS && create) {
      result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKeyPath, 0, nullptr, 0, kAccess, nullptr, &opened,
                                 nullptr);
    }
  });
  if (!completed) return ERROR_ACCESS_DENIED;
  if (result == ERROR_SUCCESS) key.reset(opened);
  return result;
}

std::wstring RegReadText(HKEY key, const wchar_t* name) {
  wchar_t buffer[kRegValueBufferBytes / sizeof(wchar_t)] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof(buffer);
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  // The stored size bounds the text; a terminator inside it ends the text earlier.
  std::wstring_view text(buffer, std::min<DWORD>(size, sizeof(buffer)) / sizeof(wchar_t));
  text = text.substr(0, text.find(L'\0'));
  if (type == REG_EXPAND_SZ) return ExpandVariables(std::wstring(text));
  return std::wstring(text);
}

LONG RegWriteText(HKEY key, const wchar_t* name, std::wstring_view text) {
  const std::wstring terminated(text);
  if (terminated.size() >= kRegValueBufferBytes / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
  const DWORD bytes = static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()), bytes);
}

std::optional<DWORD> RegReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return std::nullopt;
  }
  return value;
}

LONG RegWriteDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace sl
