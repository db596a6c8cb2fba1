#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text_win.h"
#include "selfupdate/self_update_win.h"
#include "tests/support/log_test_support_win.h"

namespace sl {

namespace {

namespace fs = std::filesystem;

class PackageFileTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("sl_package_test_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const char* name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return Narrow(path.wstring());
  }

  fs::path folder_;
};

std::string OwnBytes() {
  std::ifstream in(fs::path(Widen(test::ExePath())), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(PackageFileTest, JudgesWhatIsOnDisk) {
  // This test program is itself an x86-64 Windows executable, as the package must be.
  const std::string program = OwnBytes();
  ASSERT_GT(program.size(), 100000u);
  const std::string whole = Write("whole.zip", program);
  EXPECT_EQ(JudgePackageFile(whole, std::nullopt), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackageFile(whole, program.size()), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackageFile(whole, program.size() + 1), PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackageFile(Write("half.zip", program.substr(0, program.size() / 2)), std::nullopt),
            PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackageFile(Write("page.zip", "<html>Not Found</html>"), std::nullopt),
            PackageVerdict::NotExecutable);
}

TEST_F(PackageFileTest, UnreadableFileIsRefusedAndLogged) {
  const uint64_t logStart = test::LogFileSize();
  const std::string missing = Narrow((folder_ / "missing.zip").wstring());
  EXPECT_EQ(JudgePackageFile(missing, std::nullopt), PackageVerdict::NotExecutable);
  const std::string log = test::ReadLogUtf8(logStart);
  EXPECT_NE(log.find("JudgePackageFile"), std::string::npos) << log;
  EXPECT_NE(log.find("Không đọc được gói cập nhật: " + missing), std::string::npos) << log;
}

}  // namespace

}  // namespace sl
