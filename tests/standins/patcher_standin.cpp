// Stand-in for the game's patcher ("patcher_sl2.exe"): records that it was started, with its
// working folder and command line, in "patcher_started.txt" beside itself, then ends.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain() {
  wchar_t path[MAX_PATH];
  const std::wstring own(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
  const std::wstring record = own.substr(0, own.find_last_of(L"\\/")) + L"\\patcher_started.txt";
  wchar_t folder[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring lines = std::wstring(folder) + L"\n" + ::GetCommandLineW() + L"\n";
  std::string utf8(static_cast<size_t>(lines.size()) * 3, '\0');
  utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
  FILE* file = _wfopen(record.c_str(), L"ab");
  if (file == nullptr) return 1;
  const bool written = fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size();
  return fclose(file) == 0 && written ? 0 : 1;
}
