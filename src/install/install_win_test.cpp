#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text_win.h"
#include "install/install_worker_win.h"
#include "install/md5_win.h"

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
  // Several 8192-byte reads.
  EXPECT_EQ(Md5Of(TempFile("sl-md5-big.bin", std::string(20000, 'a'))), "9bb57f821953f3c232116e38badc8e96");
}

TEST(LockForLaunch, NobodyCanChangeTheVerifiedProgram) {
  const std::string path = TempFile("sl-setup-locked.exe", "MZ");
  UniqueFile lock = LockForLaunch(path);
  ASSERT_TRUE(lock);
  UniqueFile writer(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_FALSE(::DeleteFileW(Widen(path).c_str()));
  EXPECT_FALSE(::MoveFileW(Widen(path).c_str(), Widen(path + ".moved").c_str()));
  UniqueFile reader(
      ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(reader) << "reading, as the loader does, stays possible";
  lock.reset();
  reader.reset();
  EXPECT_TRUE(::DeleteFileW(Widen(path).c_str()));
}

}  // namespace
}  // namespace sl
