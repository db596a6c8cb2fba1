// The application shell as a player meets it: one window, one instance, closing, the about
// box, and what start-up detection leaves in the registry.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "app_driver.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLauncherKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey); }

  HWND StartApp() {
    app_ = AppProcess::Start();
    EXPECT_NE(app_.id(), 0u) << "CreateProcess failed: " << ::GetLastError();
    HWND window = app_.WaitForMainWindow(30s);
    EXPECT_NE(window, nullptr);
    return window;
  }

  AppProcess app_;
};

TEST_F(ShellTest, OpensOneBorderlessCentredWindow) {
  HWND window = StartApp();
  ASSERT_NE(window, nullptr);

  wchar_t title[128] = {};
  ::GetWindowTextW(window, title, 128);
  EXPECT_STREQ(title, kTitle);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  EXPECT_EQ(style & 0x800A0000u, 0x800A0000u);
  EXPECT_EQ(style & WS_CAPTION, 0u);

  RECT rect{};
  ASSERT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(window, &rect);
        return rect.left != 0 || rect.top != 0;
      },
      5s));
  EXPECT_EQ(rect.right - rect.left, 1020);
  EXPECT_EQ(rect.bottom - rect.top, 597);
  EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXSCREEN) - 1020) / 2);
  EXPECT_EQ(rect.top, (::GetSystemMetrics(SM_CYSCREEN) - 597) / 2);
}

TEST_F(ShellTest, SecondStartRestoresTheFirstWindowAndExitsZero) {
  HWND window = StartApp();
  ASSERT_NE(window, nullptr);

  ::SendMessageW(window, 2406, 0, 0);  // the outside minimise request
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(window) != FALSE; }, 5s));

  AppProcess second = AppProcess::Start();
  ASSERT_NE(second.id(), 0u);
  EXPECT_EQ(second.WaitForExit(30s), 0u);
  EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(window) == FALSE; }, 5s));
  EXPECT_EQ(CountMainWindows(), 1);
  EXPECT_EQ(app_.WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
}

TEST_F(ShellTest, CloseWhileIdleEndsWithoutAQuestion) {
  HWND window = StartApp();
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_COMMAND, 7001, 0);
  EXPECT_EQ(app_.WaitForExit(15s), 0u);
}

TEST_F(ShellTest, SystemCloseTakesTheSameRoad) {
  HWND window = StartApp();
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(app_.WaitForExit(15s), 0u);
}

// Types Alt + the given keys (real keyboard input, as the accelerator table sees it).
void PressWithAlt(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  key(VK_MENU, 0);
  for (WORD vk : keys) key(vk, 0);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, KEYEVENTF_KEYUP);
  key(VK_MENU, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST_F(ShellTest, AltQuestionMarkAndAltSlashOpenTheAboutBox) {
  HWND window = StartApp();
  ASSERT_NE(window, nullptr);
  for (auto keys : {std::initializer_list<WORD>{VK_SHIFT, VK_OEM_2}, std::initializer_list<WORD>{VK_OEM_2}}) {
    ::SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }, 5s));
    PressWithAlt(keys);

    HWND about = FindProcessWindow(app_.id(), L"#32770", 10s);
    ASSERT_NE(about, nullptr);
    wchar_t caption[64] = {};
    ::GetWindowTextW(about, caption, 64);
    EXPECT_STREQ(caption, L"About Stormline_VN");
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindow(about) == FALSE; }, 5s));
  }
}

TEST_F(ShellTest, FreshMachineStoresTheDefaultInstallFolder) {
  wchar_t programFiles[MAX_PATH] = {};
  ASSERT_GT(::GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
  const std::wstring expected = std::wstring(programFiles) + L"\\Oskelon\\Bao Lua";

  ASSERT_NE(StartApp(), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !ReadRegistryText(kLauncherKey, L"SLLocation").empty(); }, 15s));
  EXPECT_EQ(ReadRegistryText(kLauncherKey, L"SLLocation"), expected);
  EXPECT_TRUE(fs::is_directory(expected));
}

TEST_F(ShellTest, InstallerFolderWithAVersionReplacesAnEmptyStoredFolder) {
  const fs::path stored = MakeGameFolder(L"stored", 0);
  const fs::path installed = MakeGameFolder(L"installed", 5);
  WriteRegistryText(kLauncherKey, L"SLLocation", stored.wstring());
  WriteRegistryText(kUninstallKey, L"InstallLocation", installed.wstring() + L"\\");

  ASSERT_NE(StartApp(), nullptr);
  EXPECT_TRUE(
      WaitUntil([&] { return ReadRegistryText(kLauncherKey, L"SLLocation") != stored.wstring(); }, 15s));
  EXPECT_EQ(ReadRegistryText(kLauncherKey, L"SLLocation"),
            installed.wstring() + L"\\");  // the installer's text as it was read
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) sl::e2e::SetAppPath(argv[1]);
  return RUN_ALL_TESTS();
}
