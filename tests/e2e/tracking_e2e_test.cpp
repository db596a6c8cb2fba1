// The first-open report as it happens for a player: an installer whose file name carries a user id
// installs the game, then tells the tracking service (the tracking test server on 127.0.0.1:443).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app_driver.h"
#include "base/text_win.h"
#include "tests/support/test_servers_win.h"
#include "tests/support/tracking_test_support_win.h"
#include "window_probe.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

test::TestServers g_servers;
std::string g_trackingFolder;
std::wstring g_setupStandIn;

constexpr int kCloseCommand = 7001;
// Mixed case on purpose: the id travels as the file name spells it.
constexpr wchar_t kUserId[] = L"3F2504E0-4f89-41d3-9A0C-0305e82c3301";
constexpr wchar_t kWineAppDefaults[] = L"Software\\Wine\\AppDefaults\\";

std::string LogTextFrom(size_t offset) {
  const std::string bytes = test::ReadFileBytes(LogFilePath());
  if (offset >= bytes.size()) return {};
  return Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data() + offset),
                                  (bytes.size() - offset) / 2));
}

// The tree the tracking build of the program downloads from: "<http>/tracking", release 120 with
// the setup stand-in as its full installer.
void PublishRelease() {
  const std::wstring root = g_servers.WwwPath(L"tracking");
  fs::create_directories(fs::path(root + L"\\autoreal"));
  fs::create_directories(fs::path(root + L"\\patch"));
  test::WriteFileBytes(root + L"\\autoreal\\version.ini", "LatestVersion=120\nMinimalVersion=100\n");
  ASSERT_TRUE(::CopyFileW(g_setupStandIn.c_str(), (root + L"\\SL_Full_120.exe").c_str(), FALSE));
  test::WriteFileBytes(root + L"\\patch\\SL_Full_120.ini", g_servers.http + "/tracking/SL_Full_120.exe\n");
  ASSERT_TRUE(::CopyFileW(g_setupStandIn.c_str(), (root + L"\\SL_Patch_120.exe").c_str(), FALSE));
  test::WriteFileBytes(root + L"\\patch\\SL_Patch_120.ini", g_servers.http + "/tracking/SL_Patch_120.exe\n");
}

class TrackingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PublishRelease();
    const fs::path folder = MakeGameFolder(L"tracking-installer", 0);
    installerName_ = std::wstring(L"Stormline_VN_") + kUserId + L".exe";
    installer_ = (folder / installerName_).wstring();
    ASSERT_TRUE(::CopyFileW(AppPath().c_str(), installer_.c_str(), FALSE));
    // Wine's own default is Windows 7; this program is told it runs on Windows 10 (build 19043).
    WriteCurrentUserText((kWineAppDefaults + installerName_).c_str(), L"Version", L"win10");
    WriteRegistryText(kLauncherKey, L"SLLocation", MakeGameFolder(L"tracking-game", 0).wstring());
    WriteRegistryText(kLauncherKey, L"TempDownloadPath", MakeGameFolder(L"tracking-downloads", 0).wstring());
    server_.Reset();
    logStart_ = test::ReadFileBytes(LogFilePath()).size();
  }

  void TearDown() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLauncherKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (kWineAppDefaults + installerName_).c_str());
  }

  static void WriteCurrentUserText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  // Runs one install from `program` with the game folder at `installedVersion` and waits for its
  // end; the CA is trusted, so a report, if one were sent, would reach the server.
  void InstallAndWaitForAnyReport(const std::wstring& program, int installedVersion, int startButton) {
    test::TrustedCa trust(server_.CaPath());
    ASSERT_TRUE(trust.added());
    WriteRegistryText(kLauncherKey, L"SLLocation",
                      MakeGameFolder(L"tracking-game", installedVersion).wstring());
    AppProcess app = AppProcess::Start(program);
    HWND window = app.WaitForMainWindow(30s);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return OffersOnly(window, startButton); }, 20s));
    ::PostMessageW(::GetDlgItem(window, startButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return OffersOnly(window, kPlayButton); }, 60s)) << "the install ends";
    ::Sleep(3000);  // a report would have been sent by now
    ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
    EXPECT_EQ(app.WaitForExit(15s), 0u);
  }

  test::TrackingServer server_{g_trackingFolder};
  std::wstring installerName_;
  std::wstring installer_;
  size_t logStart_ = 0;
};

TEST_F(TrackingTest, AFullInstallReportsTheFirstOpenForTheUserInTheFileName) {
  test::TrustedCa trust(server_.CaPath());
  ASSERT_TRUE(trust.added());
  AppProcess app = AppProcess::Start(installer_);
  HWND window = app.WaitForMainWindow(30s);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return OffersOnly(window, kInstallButton); }, 20s));
  EXPECT_TRUE(server_.Requests().empty()) << "nothing is reported before an install";

  ::PostMessageW(::GetDlgItem(window, kInstallButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return OffersOnly(window, kPlayButton); }, 60s)) << "the install ends";
  std::vector<test::TrackingRequest> requests;
  EXPECT_TRUE(WaitUntil(
      [&] {
        requests = server_.Requests();
        return requests.size() >= 2;
      },
      20s));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method + " " + requests[0].host + requests[0].path, "GET 127.0.0.1/");
  const test::TrackingRequest& report = requests[1];
  EXPECT_EQ(report.method + " " + report.host + report.path, "POST localhost/appsflyer/nativepc/first-open");
  EXPECT_EQ(report.json, "ok");
  const std::regex body(
      "\\{\"afUserId\":\"3F2504E0-4f89-41d3-9A0C-0305e82c3301\",\"requestId\":\"[0-9a-f-]{36}\","
      "\"deviceIp\":\"203\\.0\\.113\\.9\",\"deviceUserAgent\":\"SL1025\",\"appVersion\":\"1\\.0\\.2\\.5\","
      "\"osVersion\":\"Windows 10\",\"deviceModel\":\"Windows 64 bit\"\\}");
  EXPECT_TRUE(std::regex_match(report.body, body)) << report.body;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return LogTextFrom(logStart_).find("SendSLTrackingReport done, result=SUCCESS") != std::string::npos;
      },
      10s))
      << LogTextFrom(logStart_);

  ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
  EXPECT_EQ(app.WaitForExit(15s), 0u);
}

TEST_F(TrackingTest, NoReportWithoutAUserIdInTheFileNameOrAfterAPatch) {
  InstallAndWaitForAnyReport(AppPath(), 0, kInstallButton);
  EXPECT_TRUE(server_.Requests().empty()) << "the plain file name carries no user id";

  InstallAndWaitForAnyReport(installer_, 119, kUpdateButton);
  EXPECT_TRUE(server_.Requests().empty()) << "a patch is no first open";
  EXPECT_EQ(LogTextFrom(logStart_).find("SendSLTrackingReport"), std::string::npos);
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 5) {
    fprintf(stderr, "usage: %s <app> <servers.env> <tracking server folder> <setup stand-in>\n", argv[0]);
    return 2;
  }
  sl::e2e::SetAppPath(argv[1]);
  sl::e2e::g_servers = sl::test::LoadTestServers(argv[2]);
  sl::e2e::g_trackingFolder = argv[3];
  sl::e2e::g_setupStandIn = sl::test::WinePath(argv[4]);
  return RUN_ALL_TESTS();
}
