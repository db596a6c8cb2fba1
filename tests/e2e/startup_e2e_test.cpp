// Start-up against the download server: the version manifest fetch over http and https, and the
// log entry a failed fetch leaves, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app_driver.h"
#include "base/text_win.h"
#include "loopback_server.h"
#include "window_probe.h"
#include "tests/support/test_servers_win.h"
#include "tests/support/tracking_test_support_win.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring g_httpApp;
std::wstring g_tlsApp;
std::wstring g_ownServerApp;  // its download server is g_ownServer
test::TestServers g_servers;
LoopbackServer g_ownServer;
uint16_t g_ownServerPort = 0;

std::string LogBytes() { return test::ReadFileBytes(LogFilePath()); }

std::wstring DecodeUtf16(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

void PublishVersionManifest() {
  std::filesystem::create_directories(std::filesystem::path(g_servers.WwwPath(L"autoreal")));
  test::WriteFileBytes(g_servers.WwwPath(L"autoreal\\version.ini"),
                       "LatestVersion=105\nMinimalVersion=100\nPreDownStart=0\nPreDownEnd=0\n");
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::DeleteFileW(LogFilePath().c_str());
    ::DeleteFileW(g_servers.WwwPath(L"autoreal\\version.ini").c_str());
  }

  // Starts the program, waits until `done` holds, then closes it the player's way.
  template <typename Condition>
  bool RunUntil(const std::wstring& app, Condition done) {
    AppProcess process = AppProcess::Start(app);
    HWND window = process.WaitForMainWindow(30s);
    EXPECT_NE(window, nullptr);
    const bool reached = WaitUntil(done, 20s);
    ::PostMessageW(window, WM_COMMAND, 7001, 0);
    EXPECT_EQ(process.WaitForExit(15s), 0u);
    return reached;
  }
};

TEST_F(StartupTest, FailedManifestFetchLeavesOneExactLogEntry) {
  ASSERT_TRUE(RunUntil(
      g_httpApp, [] { return LogBytes().find(std::string("\r\0\n\0\r\0\n\0", 8)) != std::string::npos; }));

  const std::string bytes = LogBytes();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.size() % 2, 0u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("[\0", 2)) << "UTF-16LE without a byte-order mark";
  const std::string entry = Narrow(DecodeUtf16(bytes));
  const std::regex layout(
      "\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\]\tMSHTTPHelper \tGetTextFromUrlW "
      "http://127\\.0\\.0\\.1:\\d+/autoreal/version\\.ini\\?t=\\d{17} this->statusCode \\(404\\) != "
      "HTTP_STATUS_OK \r\n\r\n");
  EXPECT_TRUE(std::regex_match(entry, layout)) << entry;
}

TEST_F(StartupTest, ManifestOverHttpsNeedsTheCertificateToBeTrusted) {
  PublishVersionManifest();
  const std::string marker = "GetTextFromUrlW https://localhost:";
  ASSERT_TRUE(
      RunUntil(g_tlsApp, [&] { return Narrow(DecodeUtf16(LogBytes())).find(marker) != std::string::npos; }));
  EXPECT_NE(Narrow(DecodeUtf16(LogBytes())).find("!m_hConnect"), std::string::npos)
      << "an unknown issuer must stop the request";

  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  ::DeleteFileW(LogFilePath().c_str());
  const std::wstring tlsLog = g_servers.folder + L"\\access-tls.log";
  const std::regex served("/autoreal/version\\.ini\\?t=\\d{17}\\|200\\|");
  EXPECT_TRUE(RunUntil(g_tlsApp, [&] { return std::regex_search(test::ReadFileBytes(tlsLog), served); }));
  EXPECT_EQ(LogBytes(), "") << "nothing failed, so nothing was logged";
}

// A server that takes the version manifest's request and never answers does not hold the window:
// the fetch waits off it, and a close asked for meanwhile is answered at once.
TEST_F(StartupTest, SilentServerDoesNotHoldTheWindow) {
  g_ownServer.Publish("/launcher/version.ini", {.body = "1025"});
  g_ownServer.Publish("/autoreal/version.ini", {.body = "LatestVersion=120\n", .silentMs = 180'000});
  AppProcess process = AppProcess::Start(g_ownServerApp);
  const HWND window = process.WaitForMainWindow(30s);
  ASSERT_NE(window, nullptr);
  const auto asked = [] {
    for (const std::string& request : g_ownServer.Requests())
      if (request.starts_with("/autoreal/version.ini")) return true;
    return false;
  };
  ASSERT_TRUE(WaitUntil(asked, 20s));
  {
    const AnswerWatch watch(window);
    ::Sleep(3000);
    EXPECT_LT(watch.LongestMs(), 500) << "the window answers while the fetch waits";
  }
  const auto start = std::chrono::steady_clock::now();
  ::PostMessageW(window, WM_COMMAND, 7001, 0);
  EXPECT_EQ(process.WaitForExit(10s), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

// A server that is down at start is asked again for up to a minute, the window answering all the
// while; once it is back the idle view follows what it says.
TEST_F(StartupTest, ServerDownAtStartIsAskedAgain) {
  g_ownServer.Stop();
  AppProcess process = AppProcess::Start(g_ownServerApp);
  const HWND window = process.WaitForMainWindow(30s);
  ASSERT_NE(window, nullptr);
  ::Sleep(3000);
  DWORD_PTR answer = 0;
  EXPECT_NE(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
  g_ownServer.Clear();
  g_ownServer.Publish("/launcher/version.ini", {.body = "1025"});
  g_ownServer.Publish("/autoreal/version.ini", {.body = "LatestVersion=120\nMinimalVersion=100\n"});
  ASSERT_TRUE(g_ownServer.Start(g_ownServerPort));
  const auto asked = [](const char* path) {
    for (const std::string& request : g_ownServer.Requests())
      if (request.starts_with(path)) return true;
    return false;
  };
  EXPECT_TRUE(
      WaitUntil([&] { return asked("/autoreal/version.ini") && asked("/launcher/version.ini"); }, 40s));
  const std::string log = Narrow(DecodeUtf16(LogBytes()));
  EXPECT_NE(log.find("Thử lại lần 1 sau "), std::string::npos) << log;
  ::PostMessageW(window, WM_COMMAND, 7001, 0);
  EXPECT_EQ(process.WaitForExit(15s), 0u);
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 6) {
    fprintf(stderr, "usage: %s <http app> <https app> <servers.env> <own-server app> <own-server port>\n",
            argv[0]);
    return 2;
  }
  sl::e2e::g_httpApp = sl::test::WinePath(argv[1]);
  sl::e2e::g_tlsApp = sl::test::WinePath(argv[2]);
  sl::e2e::g_servers = sl::test::LoadTestServers(argv[3]);
  sl::e2e::g_ownServerApp = sl::test::WinePath(argv[4]);
  sl::e2e::g_ownServerPort = static_cast<uint16_t>(std::stoul(argv[5]));
  if (!sl::e2e::g_ownServer.Start(sl::e2e::g_ownServerPort)) {
    fprintf(stderr, "cannot listen on port %s\n", argv[5]);
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  sl::e2e::g_ownServer.Stop();
  return result;
}
