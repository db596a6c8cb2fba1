// The skinned window as a player meets it: the idle view of each install mode, the free-space
// warning, the publisher's pages and the screenshots the README shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "app_driver.h"
#include "base/text_win.h"
#include "tests/support/test_servers_win.h"
#include "ui/skin_rules.h"
#include "ui/shell_win.h"
#include "window_probe.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;

test::TestServers g_servers;
std::wstring g_prepared;      // folder of prepare_prefix.sh: browser.log, drive D:
std::wstring g_screenshots;   // where the view pictures go
std::wstring g_setupStandIn;  // a stand-in for the publisher's setup programs

constexpr int kBrowseInstall = 1717, kBrowseDownload = 1718;

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(std::filesystem::path(g_servers.WwwPath(L"autoreal")));
    test::WriteFileBytes(g_servers.WwwPath(L"autoreal\\version.ini"),
                         "LatestVersion=120\nMinimalVersion=100\n");
    downloads_ = MakeGameFolder(L"downloads", 0).wstring();
    WriteRegistryText(kLauncherKey, L"TempDownloadPath", downloads_);
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLauncherKey); }

  // Starts the program with an install folder holding `version` (0: none) and waits for its view.
  HWND StartWithInstalledVersion(int version) {
    WriteRegistryText(kLauncherKey, L"SLLocation", MakeGameFolder(L"game", version).wstring());
    app_ = AppProcess::Start();
    HWND window = app_.WaitForMainWindow(30s);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil(
        [&] {
          return OffersOnly(window, kInstallButton) || OffersOnly(window, kUpdateButton) ||
                 OffersOnly(window, kPlayButton);
        },
        20s));
    ::Sleep(500);  // let the pictures paint before anything looks at them
    return window;
  }

  // A release of one file that a slow server keeps downloading long enough to be seen.
  void PublishSlowRelease() {
    std::filesystem::create_directories(std::filesystem::path(g_servers.WwwPath(L"patch")));
    test::WriteFileBytes(g_servers.WwwPath(L"patch\\SL_Full_120.ini"),
                         g_servers.fault + "/slow/600000/50/SL_Setup_120.exe,,600000\n");
  }

  void Screenshot(HWND window, const wchar_t* name) {
    EXPECT_TRUE(SaveScreenshot(window, g_screenshots + L"\\" + name));
  }

  AppProcess app_;
  std::wstring downloads_;
};

// The prefix's display scale, which every program started afterwards reads at its start: set for
// one test, 96 (100 %) again afterwards, as every other test of the shared prefix expects.
class DisplayScale {
 public:
  explicit DisplayScale(DWORD dpi) { Set(dpi); }
  ~DisplayScale() { Set(kBaseDpi); }
  DisplayScale(const DisplayScale&) = delete;
  DisplayScale& operator=(const DisplayScale&) = delete;

 private:
  static void Set(DWORD dpi) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                      sizeof(dpi));
  }
};

struct PictureSize {
  UINT width = 0;
  UINT height = 0;
};

PictureSize SizeOfPng(const std::wstring& path) {
  const GdiplusSession gdiplus;
  const auto picture = std::make_unique<Gdiplus::Bitmap>(path.c_str());
  if (picture->GetLastStatus() != Gdiplus::Ok) return {};
  return {picture->GetWidth(), picture->GetHeight()};
}

// At 150 % and 200 % the window, its controls and its pictures are scaled by the display's DPI.
TEST_F(UiTest, EveryScaleHasItsSizePlacesAndScreenshot) {
  // Measured as it is: a DPI-unaware thread would be shown the window shrunk back to 96 DPI.
  const DPI_AWARENESS_CONTEXT previous =
      ::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  for (const int dpi : {96, 144, 192}) {
    SCOPED_TRACE(dpi);
    const DisplayScale scale(static_cast<DWORD>(dpi));
    HWND window = StartWithInstalledVersion(0);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, ScaleByDpi(1020, dpi));
    EXPECT_EQ(client.bottom, ScaleByDpi(597, dpi));
    // Places of the button table and the statics, scaled, and a picture button's scaled size.
    EXPECT_EQ(ChildAt(window, ScaleByDpi(820, dpi), ScaleByDpi(510, dpi)),
              ::GetDlgItem(window, kInstallButton));
    EXPECT_EQ(ChildAt(window, ScaleByDpi(615, dpi), ScaleByDpi(50, dpi)), ::GetDlgItem(window, 1706));
    EXPECT_EQ(TextOf(ChildAt(window, ScaleByDpi(610, dpi), ScaleByDpi(486, dpi))),
              "Cài đặt phiên bản mới: 120");
    RECT button{};
    ::GetWindowRect(::GetDlgItem(window, kInstallButton), &button);
    EXPECT_EQ(button.right - button.left, ScaleByDpi(170, dpi));
    EXPECT_EQ(button.bottom - button.top, ScaleByDpi(57, dpi));

    const std::wstring shot = g_screenshots + L"\\dpi-" + std::to_wstring(dpi * 100 / kBaseDpi) + L".png";
    ASSERT_TRUE(SaveScreenshot(window, shot));
    const PictureSize size = SizeOfPng(shot);
    EXPECT_EQ(size.width, static_cast<UINT>(ScaleByDpi(1020, dpi)));
    EXPECT_EQ(size.height, static_cast<UINT>(ScaleByDpi(597, dpi)));
    { const AppProcess ended = std::move(app_); }  // ended before the next one starts
  }
  ::SetThreadDpiAwarenessContext(previous);
}

TEST_F(UiTest, NothingInstalledShowsTheInstallView) {
  HWND window = StartWithInstalledVersion(0);
  EXPECT_TRUE(IsShown(window, kInstallButton));
  EXPECT_FALSE(IsShown(window, kUpdateButton));
  EXPECT_FALSE(IsShown(window, kPlayButton));
  EXPECT_TRUE(IsShown(window, kBrowseInstall));
  EXPECT_TRUE(IsShown(window, kBrowseDownload));
  EXPECT_EQ(TextOf(ChildAt(window, 610, 486)), "Cài đặt phiên bản mới: 120");
  EXPECT_TRUE(std::regex_match(TextOf(ChildAt(window, 290, 486)),
                               std::regex("Vị trí cài đặt Bão lửa \\(Cần 20GB/\\d+\\.\\d\\dGB Trống\\)")));
  EXPECT_EQ(TextOf(ChildAt(window, 290, 560)), "  " + Narrow(downloads_));
  Screenshot(window, L"idle-install.png");
}

TEST_F(UiTest, PatchableInstallShowsTheUpdateView) {
  HWND window = StartWithInstalledVersion(118);
  EXPECT_TRUE(IsShown(window, kUpdateButton));
  EXPECT_FALSE(IsShown(window, kInstallButton));
  EXPECT_FALSE(IsShown(window, kBrowseInstall));
  EXPECT_TRUE(IsShown(window, kBrowseDownload));
  EXPECT_EQ(TextOf(ChildAt(window, 610, 486)), "Nâng cấp từ 118 lên 120");
  Screenshot(window, L"idle-update.png");
}

TEST_F(UiTest, CurrentGameShowsThePlayViewWithTheInstallTextsMovedDown) {
  HWND window = StartWithInstalledVersion(120);
  EXPECT_TRUE(IsShown(window, kPlayButton));
  EXPECT_FALSE(IsShown(window, kBrowseDownload));
  EXPECT_EQ(TextOf(ChildAt(window, 610, 501)), "Phiên bản 120");
  EXPECT_EQ(TextOf(ChildAt(window, 290, 501)), "Vị trí cài đặt Bão lửa");
  EXPECT_NE(ChildAt(window, 290, 525), nullptr);
  Screenshot(window, L"idle-play.png");
}

TEST_F(UiTest, DownloadFolderOnANetworkDriveRefusesToStart) {
  WriteRegistryText(kLauncherKey, L"TempDownloadPath", L"D:\\slvn");
  HWND window = StartWithInstalledVersion(0);
  EXPECT_EQ(TextOf(ChildAt(window, 290, 536)), "Vị trí tải tệp tin (Cần 20GB/0.00GB Trống)");
  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  const MessageBoxSeen box = AnswerMessageBox(app_.id(), IDOK);
  EXPECT_EQ(box.caption, "Thông báo!");
  EXPECT_EQ(box.text, "Ổ đĩa chứa tệp tin tải xuống không đủ dung lượng!");
  EXPECT_TRUE(IsShown(window, kInstallButton)) << "nothing started";
}

// Every button has a name a screen reader can say and a tab stop; Tab walks them and Enter
// presses the view's main action (here the install button, which then warns of the drive).
TEST_F(UiTest, KeyboardReachesEveryButtonAndEnterPressesTheMainAction) {
  WriteRegistryText(kLauncherKey, L"TempDownloadPath", L"D:\\slvn");
  HWND window = StartWithInstalledVersion(0);
  for (int id : {7001, 7000, 1705, 1706, 1707, 1703, 1708, 1709, kBrowseInstall, kBrowseDownload,
                 kInstallButton, kUpdateButton, kPlayButton, 1723, 1724}) {
    const HWND button = ::GetDlgItem(window, id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_FALSE(TextOf(button).empty()) << id;
    EXPECT_NE(::GetWindowLongW(button, GWL_STYLE) & WS_TABSTOP, 0) << id;
  }
  EXPECT_EQ(TextOf(::GetDlgItem(window, kInstallButton)), "Cài đặt");
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  const auto focus = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
  };
  ::PostMessageW(window, WM_KEYDOWN, VK_TAB, 0);
  ASSERT_TRUE(WaitUntil([&] { return focus() != nullptr && ::GetParent(focus()) == window; }, 5s));
  const HWND first = focus();
  ::PostMessageW(window, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(WaitUntil([&] { return focus() != first && ::IsWindowVisible(focus()); }, 5s));
  ::PostMessageW(focus(), WM_KEYDOWN, VK_RETURN, 0);  // wherever the focus is
  EXPECT_EQ(AnswerMessageBox(app_.id(), IDOK).text, "Ổ đĩa chứa tệp tin tải xuống không đủ dung lượng!");
}

TEST_F(UiTest, LinksOpenThePublisherPagesInTheBrowser) {
  HWND window = StartWithInstalledVersion(120);
  const std::wstring log = g_prepared + L"\\browser.log";
  test::WriteFileBytes(log, "");
  ::PostMessageW(::GetDlgItem(window, 1706), BM_CLICK, 0, 0);
  EXPECT_TRUE(
      WaitUntil([&] { return test::ReadFileBytes(log).find("/list/events") != std::string::npos; }, 20s));
  EXPECT_TRUE(std::regex_search(test::ReadFileBytes(log), std::regex("^https://[^/\\s]+/list/events\\s*$")));
  EXPECT_TRUE(::IsWindow(window));
}

TEST_F(UiTest, FolderPickerChoosesTheInstallFolder) {
  HWND window = StartWithInstalledVersion(0);
  const std::wstring picked = MakeGameFolder(L"picked", 0).wstring();
  ::PostMessageW(::GetDlgItem(window, kBrowseInstall), BM_CLICK, 0, 0);
  HWND picker = FindProcessWindow(app_.id(), L"#32770", 15s);
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(picker) == "Chọn thư mục cài đặt Stormline"; }, 5s))
      << TextOf(picker);
  // Typing a folder and pressing Select opens it; Select with nothing selected then chooses it.
  ::SetDlgItemTextW(picker, 1148, picked.c_str());
  ::PostMessageW(picker, WM_COMMAND, IDOK, 0);
  ::Sleep(1000);
  ::PostMessageW(picker, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindow(picker) == FALSE; }, 10s));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(ChildAt(window, 290, 510)) == "  " + Narrow(picked); }, 10s))
      << TextOf(ChildAt(window, 290, 510));
  EXPECT_EQ(ReadRegistryText(kLauncherKey, L"SLLocation"), picked);
}

TEST_F(UiTest, InstallPressStartsARunInTheProgressView) {
  PublishSlowRelease();
  HWND window = StartWithInstalledVersion(0);
  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(ChildAt(window, 290, 510)); }, 15s));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, kInstallButton)))
      << "the pressed button waits for the run";
  EXPECT_FALSE(IsShown(window, kBrowseInstall));
  const std::wstring local = downloads_ + L"\\SL_Setup_120.exe";
  // The downloader holds the file without sharing; its size is still visible.
  auto sizeOnDisk = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(local.c_str(), GetFileExInfoStandard, &data) ? uint64_t{data.nFileSizeLow}
                                                                               : 0;
  };
  EXPECT_TRUE(WaitUntil([&] { return sizeOnDisk() > 20000; }, 20s))
      << "the first file of the list is being downloaded";
  ::Sleep(1500);  // a rate sample and a repaint
  Screenshot(window, L"progress.png");
}

// The speed-limit button drops its menu; a choice shows on the button and is kept for later runs.
TEST_F(UiTest, SpeedLimitMenuAppliesAndKeepsTheChoice) {
  PublishSlowRelease();
  HWND window = StartWithInstalledVersion(0);
  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  const HWND limit = ::GetDlgItem(window, 1724);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(limit) != FALSE; }, 15s));
  EXPECT_EQ(TextOf(limit), "Không giới hạn");
  ::PostMessageW(limit, BM_CLICK, 0, 0);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        menu = ::FindWindowW(L"#32768", nullptr);
        return menu != nullptr && ::IsWindowVisible(menu);
      },
      5s));
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})
    ::PostMessageW(menu, WM_KEYDOWN, key, 0);  // 1 MB/s
  const auto stored = [] {
    DWORD value = 0, size = sizeof(value);
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, kLauncherKey, L"DownloadLimitKBps", RRF_RT_REG_DWORD, nullptr,
                          &value, &size) == ERROR_SUCCESS
               ? value
               : 0;
  };
  // The choice is stored before the button says it.
  EXPECT_TRUE(WaitUntil([&] { return TextOf(limit) == "1 MB/s"; }, 5s)) << TextOf(limit);
  EXPECT_EQ(stored(), 1024u);
}

TEST_F(UiTest, InstallRunsTheSetupProgramAndEndsInThePlayView) {
  std::filesystem::create_directories(std::filesystem::path(g_servers.WwwPath(L"patch")));
  const std::wstring published = g_servers.WwwPath(L"SL_Full_120.exe");
  ::DeleteFileW(published.c_str());
  ASSERT_TRUE(::CopyFileW(g_setupStandIn.c_str(), published.c_str(), FALSE));
  test::WriteFileBytes(g_servers.WwwPath(L"patch\\SL_Full_120.ini"), g_servers.http + "/SL_Full_120.exe\n");
  ::DeleteFileW((downloads_ + L"\\SL_Full_120.exe").c_str());
  HWND window = StartWithInstalledVersion(0);
  const std::wstring game = ReadRegistryText(kLauncherKey, L"SLLocation");
  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return OffersOnly(window, kPlayButton); }, 60s));
  EXPECT_NE(ChildAt(window, 610, 501), nullptr) << "the play view moved the version text";
  EXPECT_EQ(test::ReadFileBytes(game + L"\\version.dat"), std::string("\x78\0\0\0", 4));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(game + L"\\game_120.txt")));
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 6) {
    fprintf(stderr, "usage: %s <app> <servers.env> <prepared folder> <screenshot folder> <setup stand-in>\n",
            argv[0]);
    return 2;
  }
  sl::e2e::SetAppPath(argv[1]);
  sl::e2e::g_servers = sl::test::LoadTestServers(argv[2]);
  sl::e2e::g_prepared = sl::test::WinePath(argv[3]);
  sl::e2e::g_screenshots = sl::test::WinePath(argv[4]);
  sl::e2e::g_setupStandIn = sl::test::WinePath(argv[5]);
  std::filesystem::create_directories(std::filesystem::path(sl::e2e::g_screenshots));
  return RUN_ALL_TESTS();
}
