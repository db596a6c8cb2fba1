// Stand-in for the publisher's setup programs, for tests: "SL_Full_<n>.exe /SILENT /DIR="<folder>""
// installs release n into the folder (a game file and "version.dat"); "SL_Patch_<n>.exe" does the
// same only over release n - 1. A name containing "_fail<code>" exits with that code instead.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

std::wstring OwnName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  return name.substr(name.find_last_of(L"\\/") + 1);
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

}  // namespace

int wmain() {
  const std::wstring name = OwnName();
  const std::wstring commandLine = ::GetCommandLineW();
  if (const size_t fail = name.find(L"_fail"); fail != std::wstring::npos)
    return _wtoi(name.c_str() + fail + 5);
  const bool patch = name.rfind(L"SL_Patch_", 0) == 0;
  const int release = _wtoi(name.c_str() + (patch ? 9 : 8));
  const std::wstring folder = InstallFolder(commandLine);
  if (commandLine.find(L"/SILENT") == std::wstring::npos || folder.empty() || release <= 0) return 2;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  if (patch && ReadVersion(folder) != release - 1) return 3;
  if (FILE* game = _wfopen((folder + L"\\game_" + std::to_wstring(release) + L".txt").c_str(), L"wb"))
    fclose(game);
  FILE* file = _wfopen((folder + L"\\version.dat").c_str(), L"wb");
  if (file == nullptr) return 4;
  fwrite(&release, 1, sizeof(release), file);
  fclose(file);
  return 0;
}
