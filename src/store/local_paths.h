// The program's folders and own file names, learned once at start-up.
#pragma once

#include <string>

namespace sl {

struct LocalPaths {
  std::string exeDir;              // folder of the running executable
  std::string exeName;             // its file name, e.g. "Stormline_VN.exe"
  std::string exeBaseName;         // exeName less its last 4 characters
  std::string logRoot;             // %TEMP%\slvn
  std::string downloadDirSetting;  // "TempDownloadPath", else Downloads\slvn
  std::string downloadDir;         // working download folder; empty until first use
};

// Process-wide paths. Written by InitLocalStore before any other thread exists and afterwards
// only on the UI thread (folder commands); worker threads get copies of what they need.
LocalPaths& Paths();

}  // namespace sl
