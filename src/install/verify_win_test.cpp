#include "install/verify_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "base/window_messages.h"

namespace sl {
namespace {

std::string TempFile(const char* name, const std::string& bytes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return Narrow(path.wstring());
}

std::string Md5Of(const std::string& path) {
  UniqueFile file(
      ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  return GetFileMd5(file.get(), 0, nullptr);
}

TEST(GetFileMd5, KnownDigestsInLowerCase) {
  EXPECT_EQ(Md5Of(TempFile("sl-md5-empty.bin", "")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Of(TempFile("sl-md5-abc.bin", "abc")), "900150983cd24fb0d6963f7d28e17f72");
  // Several reads, the last one short.
  EXPECT_EQ(Md5Of(TempFile("sl-md5-big.bin", std::string(2621440 + 7, 'a'))),
            "c91dc56766dcce8bc4b9e2e245d34be9");
}

TEST(GetFileMd5, ReportsProgressSparinglyAndTheResultOnce) {
  const std::string path = TempFile("sl-md5-progress.bin", std::string(20 * 1024 * 1024 + 5, 'x'));
  HWND window = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  UniqueFile file(
      ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const uint64_t size = 20 * 1024 * 1024 + 5;
  EXPECT_EQ(GetFileMd5(file.get(), size, window).size(), 32u);
  int progress = 0, results = 0;
  WPARAM lastDone = 0, result = 0;
  MSG msg;
  while (::PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_MD5_PROGRESS) {
      ++progress;
      EXPECT_GT(msg.wParam, lastDone);
      EXPECT_EQ(static_cast<uint64_t>(msg.lParam), size);
      lastDone = msg.wParam;
    } else if (msg.message == WM_MD5_RESULT) {
      ++results;
      result = msg.wParam;
    }
  }
  ::DestroyWindow(window);
  EXPECT_GE(progress, 2);
  EXPECT_LE(progress, 102) << "not one per block";
  EXPECT_EQ(lastDone, size) << "the last report is the whole file";
  EXPECT_EQ(results, 1);
  EXPECT_EQ(result, 1u);
}

}  // namespace
}  // namespace sl
