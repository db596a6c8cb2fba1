// Test support: a fresh folder under %TEMP%, removed with its contents afterwards.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/text.h"
#include "base/path.h"
#include "base/text_win.h"

namespace sl {

class TestFolder {
 public:
  TestFolder() { std::filesystem::create_directories(Widen(path_)); }
  ~TestFolder() { std::filesystem::remove_all(Widen(path_), ignored_); }

  std::string Child(std::string_view name) const { return JoinPath(path_, name); }

  static void WriteVersionFile(const std::string& folder, const std::string& bytes) {
    std::filesystem::create_directories(Widen(folder));
    std::ofstream(std::filesystem::path(Widen(folder)) / L"version.dat", std::ios::binary) << bytes;
  }

  static bool IsFolder(const std::string& path) { return std::filesystem::is_directory(Widen(path)); }

 private:
  static std::string Unique() {
    static int count = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    return JoinPath(Narrow(temp), Format("sl_store_test_%lu_%d", ::GetCurrentProcessId(), ++count));
  }

  std::string path_ = Unique();
  std::error_code ignored_;
};

}  // namespace sl
