// Stand-in for the publisher's setup programs, for tests and the demo.
//   SL_Full_<n>.exe /SILENT /DIR="<folder>"   installs release n: a game file, "version.dat", the
//                                             game's patcher when it lies beside the setup program,
//                                             and the uninstall entry naming the folder.
//   SL_Patch_<n>.exe /SILENT /DIR="<folder>"  the same, only over release n - 1 (exit code 3 otherwise).
// A name containing "_fail<code>" exits with that code and installs nothing; "_sleep<ms>" waits
// that long before installing, like a real setup program that takes its time; "_noversion" installs
// and succeeds but writes no "version.dat". Every run adds its name to "setup_runs.txt" in the folder.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{3A6F0C1E-7B24-4D19-9E5A-2C8B41F07D63}_is1";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring InstallFolder(const std::wstring& commandLine) {
  const size_t dir = commandLine.find(L"/DIR=\"");
  if (dir == std::wstring::npos) return {};
  const size_t start = dir + 6;
  return commandLine.substr(start, commandLine.find(L'"', start) - start);
}

int ReadVersion(const std::wstring& folder) {
  int version = 0;
  if (FILE* file = _wfopen((folder + L"\\version.dat").c_str(), L"rb")) {
    fread(&version, 1, sizeof(version), file);
    fclose(file);
  }
  return version;
}

bool WriteVersion(const std::wstring& folder, int release) {
  FILE* file = _wfopen((folder + L"\\version.dat").c_str(), L"wb");
  if (file == nullptr) return false;
  const bool written = fwrite(&release, 1, sizeof(release), file) == sizeof(release);
  return fclose(file) == 0 && written;
}

void RecordUninstallEntry(const std::wstring& folder) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  const std::wstring location = folder + L"\\";
  ::RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

}  // namespace

int wmain() {
  const std::wstring path = OwnPath();
  const std::wstring ownFolder = path.substr(0, path.find_last_of(L"\\/"));
  const std::wstring name = path.substr(ownFolder.size() + 1);
  const std::wstring commandLine = ::GetCommandLineW();
  const std::wstring folder = InstallFolder(commandLine);
  if (!folder.empty()) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    if (FILE* runs = _wfopen((folder + L"\\setup_runs.txt").c_str(), L"ab")) {
      fprintf(runs, "%ls\n", name.c_str());
      fclose(runs);
    }
  }
  if (const size_t fail = name.find(L"_fail"); fail != std::wstring::npos)
    return _wtoi(name.c_str() + fail + 5);
  if (const size_t sleep = name.find(L"_sleep"); sleep != std::wstring::npos)
    ::Sleep(static_cast<DWORD>(_wtoi(name.c_str() + sleep + 6)));
  const bool patch = name.rfind(L"SL_Patch_", 0) == 0;
  const int release = _wtoi(name.c_str() + (patch ? 9 : 8));
  if (commandLine.find(L"/SILENT") == std::wstring::npos || folder.empty() || release <= 0) return 2;
  if (patch && ReadVersion(folder) != release - 1) return 3;
  if (FILE* game = _wfopen((folder + L"\\game_" + std::to_wstring(release) + L".txt").c_str(), L"wb"))
    fclose(game);
  if (!patch) {
    ::CopyFileW((ownFolder + L"\\patcher_sl2.exe").c_str(), (folder + L"\\patcher_sl2.exe").c_str(), FALSE);
    RecordUninstallEntry(folder);
  }
  if (name.find(L"_noversion") != std::wstring::npos) return 0;
  return WriteVersion(folder, release) ? 0 : 4;
}
