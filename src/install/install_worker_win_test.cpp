#include "install/install_worker_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "install/install_job.h"
#include "tests/support/test_servers_win.h"

namespace sl {
namespace {

namespace fs = std::filesystem;

std::wstring g_patcherStandIn;  // records its start in patcher_started.txt beside itself

// A fresh folder holding a copy of the patcher stand-in under `name`.
fs::path FolderWithProgram(const wchar_t* folder, const wchar_t* name) {
  const fs::path path = fs::temp_directory_path() / folder;
  fs::remove_all(path);
  fs::create_directories(path);
  fs::copy_file(g_patcherStandIn, path / name);
  return path;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 200 && !condition(); ++i) ::Sleep(50);
  return condition();
}

TEST(LockForLaunch, NobodyCanChangeTheVerifiedProgram) {
  const fs::path file = fs::temp_directory_path() / "sl-setup-locked.exe";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "MZ";
  const std::string path = Narrow(file.wstring());
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

TEST(RunProgram, StartsThePlainProgramInItsFolderWithoutWaiting) {
  const fs::path folder = FolderWithProgram(L"sl-run-program", L"Stormline_VN.exe");
  ASSERT_TRUE(RunProgram(Narrow(folder.wstring()), "Stormline_VN.exe"));
  const fs::path record = folder / L"patcher_started.txt";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(record) && fs::file_size(record) != 0; }));
  std::ifstream text(record);
  std::string workingFolder;
  std::getline(text, workingFolder);
  EXPECT_EQ(workingFolder, Narrow(folder.wstring()));

  EXPECT_FALSE(RunProgram(Narrow(folder.wstring()), "missing.exe"));
  EXPECT_FALSE(RunProgram(Narrow(folder.wstring()), std::string(MAX_PATH, 'a') + ".exe"));
}

TEST(LaunchGamePatcher, MissingPatcherRereadsTheInstalledVersion) {
  const fs::path folder = fs::temp_directory_path() / L"sl-no-patcher";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const int32_t installed = 117;
  std::ofstream(folder / L"version.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(&installed), 4);
  // The shell reports the missing file in a box of its own; answer it as a player would.
  std::atomic<bool> done{false};
  std::thread answer([&] {
    while (!done) {
      HWND box = ::FindWindowW(L"#32770", nullptr);
      DWORD owner = 0;
      if (box != nullptr && ::GetWindowThreadProcessId(box, &owner) && owner == ::GetCurrentProcessId())
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      ::Sleep(50);
    }
  });
  InstallState state;
  state.installDir = Narrow(folder.wstring());
  state.installedVersion = 120;
  state.targetVersion = 121;
  LaunchGamePatcher(nullptr, state);
  EXPECT_EQ(state.installedVersion, 117);
  EXPECT_EQ(state.targetVersion, 117);

  fs::remove(folder / L"version.dat");
  LaunchGamePatcher(nullptr, state);
  EXPECT_EQ(state.installedVersion, 0);
  EXPECT_EQ(state.targetVersion, 0);
  done = true;
  answer.join();
}

}  // namespace
}  // namespace sl

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: %s <patcher stand-in>\n", argv[0]);
    return 2;
  }
  sl::g_patcherStandIn = sl::test::WinePath(argv[1]);
  return RUN_ALL_TESTS();
}
