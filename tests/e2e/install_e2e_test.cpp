// Whole runs as a player makes them: press a start button and watch the program download, verify,
// install and patch from the loopback servers, with the stand-in setup programs and patcher.
// The releases come from make_scenarios.py; each test makes one scenario current.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "app_driver.h"
#include "base/clock.h"
#include "base/md5.h"
#include "base/text_win.h"
#include "loopback_server.h"
#include "tests/support/test_servers_win.h"
#include "tests/support/tracking_test_support_win.h"
#include "window_probe.h"

namespace sl::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

test::TestServers g_servers;
std::wstring g_tlsApp;        // the program with the https endpoint
std::wstring g_ownServerApp;  // the program whose download server is g_ownServer
LoopbackServer g_ownServer;
uint16_t g_ownServerPort = 0;
std::wstring g_signed;  // sign_programs.sh's folder
constexpr char kOwnVersion[] = "1025";

constexpr int kCloseButton = 7001;

std::string Version(int number) { return std::string(reinterpret_cast<const char*>(&number), 4); }

uint64_t FileSize(const fs::path& path) {
  std::error_code error;
  const uint64_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

// Requests the fault server answered for paths containing `name`: {Range header, bytes sent};
// `ended`, when given, gets when each answer ended (seconds since 1970).
std::vector<std::pair<std::string, uint64_t>> FaultRequests(const std::string& name,
                                                            std::vector<double>* ended = nullptr) {
  const std::string log = test::FetchText(g_servers.fault + "/__log");
  static const std::regex entry(
      R"re(\{"path": "([^"]*)", "range": "([^"]*)", "if_range": "[^,]*", "status": \d+, "sent": (\d+), "ended": ([\d.]+)\})re");
  std::vector<std::pair<std::string, uint64_t>> requests;
  for (std::sregex_iterator it(log.begin(), log.end(), entry), end; it != end; ++it) {
    if ((*it)[1].str().find(name) == std::string::npos) continue;
    requests.emplace_back((*it)[2].str(), std::stoull((*it)[3].str()));
    if (ended != nullptr) ended->push_back(std::stod((*it)[4].str()));
  }
  return requests;
}

// Lines of nginx's access log for paths containing `name`.
int ServedCount(const std::string& name) {
  const std::string log = test::ReadFileBytes(g_servers.AccessLogPath());
  int count = 0;
  for (size_t at = log.find(name); at != std::string::npos; at = log.find(name, at + 1)) ++count;
  return count;
}

// Bytes in WinINet's cache folder of the prefix (the program runs as the same user).
uint64_t InternetCacheBytes() {
  PWSTR folder = nullptr;
  if (FAILED(::SHGetKnownFolderPath(FOLDERID_InternetCache, 0, nullptr, &folder))) return 0;
  const fs::path root(folder);
  ::CoTaskMemFree(folder);
  uint64_t total = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file(error)) total += it->file_size(error);
  }
  return total;
}

// Names of the setup programs that ran in a game folder, in order (the stand-in records them).
std::vector<std::string> SetupRuns(const fs::path& game) {
  const std::string text = test::ReadFileBytes((game / L"setup_runs.txt").wstring());
  std::vector<std::string> runs;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    runs.push_back(text.substr(start, end - start));
  return runs;
}

constexpr char kConnectionError[] =
    "Lỗi: Lỗi kết nối đến máy chủ, xin vui lòng kiểm tra lại đường truyền mạng!";
constexpr char kPlanFailed[] = "Không lấy danh sách tệp tin cần tải. Kiểm tra lại mạng và thử lại!";

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    downloads_ = MakeGameFolder(L"downloads", 0);
    WriteRegistryText(kLauncherKey, L"TempDownloadPath", downloads_.wstring());
    (void)test::FetchText(g_servers.fault + "/__reset");
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLauncherKey);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
  }

  // Makes a scenario's version.ini and file lists the ones the server answers with.
  static void UseScenario(const wchar_t* name) {
    const fs::path www(g_servers.WwwPath(L""));
    const fs::path scenario = www / L"scenarios" / name;
    fs::remove_all(www / L"patch");
    fs::copy(scenario / L"patch", www / L"patch");
    fs::create_directories(www / L"autoreal");
    ::CopyFileW((scenario / L"autoreal" / L"version.ini").c_str(),
                (www / L"autoreal" / L"version.ini").c_str(), FALSE);
  }

  // Starts the program with the game folder at `version` (0: nothing installed) and waits for
  // the idle view, whose only start button must be `expected`.
  HWND Start(int version, int expected, const std::wstring& app = AppPath()) {
    if (version >= 0) game_ = MakeGameFolder(L"game", version);
    WriteRegistryText(kLauncherKey, L"SLLocation", game_.wstring());
    app_ = AppProcess::Start(app);
    EXPECT_EQ(app_.startError(), 0u) << Narrow(app);
    HWND window = app_.WaitForMainWindow(30s);
    EXPECT_NE(window, nullptr) << "exit code " << app_.WaitForExit(0s);
    EXPECT_TRUE(WaitUntil([&] { return OffersOnly(window, expected); }, 20s)) << "start button " << expected;
    return window;
  }

  static void Press(HWND window, int id) { ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

  // True once the run is over and the idle view offers play-now.
  static bool EndsInPlayView(HWND window, std::chrono::milliseconds timeout = 90s) {
    return WaitUntil([&] { return OffersOnly(window, kPlayButton); }, timeout);
  }

  // The message box the run ends with; the idle view is back once it is answered.
  MessageBoxSeen RunEndsWithMessage(HWND window, int startButton) {
    MessageBoxSeen box;
    WaitUntil(
        [&] {
          box = AnswerMessageBox(app_.id(), IDOK);
          return !box.text.empty();
        },
        60s);
    EXPECT_TRUE(
        WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(window, startButton)) != FALSE; }, 10s));
    return box;
  }

  // Closes the window through its close button, answering the question about the running job.
  void CloseDuringTheRun(HWND window) {
    ::PostMessageW(window, WM_COMMAND, kCloseButton, 0);
    const MessageBoxSeen question = AnswerMessageBox(app_.id(), IDYES);
    EXPECT_FALSE(question.text.empty()) << "a running job asks before closing";
    EXPECT_EQ(app_.WaitForExit(15s), 0u);
  }

  fs::path downloads_;
  fs::path game_;
  AppProcess app_;
};

TEST_F(InstallTest, FreshInstallRunsTheFullReleaseThenEveryPatch) {
  UseScenario(L"chain");
  const uint64_t cacheBefore = InternetCacheBytes();
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  // No second copy of the release (2 MB here) in WinINet's cache on the system drive.
  EXPECT_LT(InternetCacheBytes() - cacheBefore, 16u * 1024);
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(122));
  for (const wchar_t* name : {L"game_120.txt", L"game_121.txt", L"game_122.txt", L"patcher_sl2.exe"})
    EXPECT_TRUE(fs::exists(game_ / name)) << Narrow(name);
  EXPECT_EQ(ReadRegistryText(kUninstallKey, L"InstallLocation"), game_.wstring() + L"\\");
  // Every file of the three lists sits complete in the download folder.
  EXPECT_EQ(FileSize(downloads_ / L"game_120_1.pak"), 96u * 1024);
  EXPECT_EQ(FileSize(downloads_ / L"patch_122.pak"), 24u * 1024);
}

TEST_F(InstallTest, OlderInstallIsUpdatedPatchByPatch) {
  UseScenario(L"chain");
  HWND window = Start(120, kUpdateButton);
  const int fullBefore = ServedCount("SL_Full_120.exe");
  Press(window, kUpdateButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(122));
  EXPECT_TRUE(fs::exists(game_ / L"game_121.txt"));
  EXPECT_TRUE(fs::exists(game_ / L"game_122.txt"));
  EXPECT_EQ(ServedCount("SL_Full_120.exe"), fullBefore) << "no full release for an update";
}

TEST_F(InstallTest, PlayNowStartsTheGamesPatcherAndCloses) {
  UseScenario(L"chain");
  game_ = MakeGameFolder(L"game", 122);
  ::CopyFileW(g_servers.WwwPath(L"scenarios\\chain\\files\\patcher_sl2.exe").c_str(),
              (game_ / L"patcher_sl2.exe").c_str(), FALSE);
  HWND window = Start(-1, kPlayButton);
  Press(window, kPlayButton);
  EXPECT_EQ(app_.WaitForExit(15s), 0u);
  const fs::path record = game_ / L"patcher_started.txt";
  ASSERT_TRUE(WaitUntil([&] { return FileSize(record) != 0; }, 10s));
  // Its first line is the folder it was started in: the install folder.
  const std::string text = test::ReadFileBytes(record.wstring());
  EXPECT_EQ(text.substr(0, text.find('\n')), Narrow(game_.wstring()));
}

TEST_F(InstallTest, FileFailingItsCheckOnceIsFetchedAgain) {
  UseScenario(L"md5_once");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(FaultRequests("flip.pak").size(), 2u);
  EXPECT_EQ(test::ReadFileBytes((downloads_ / L"flip.pak").wstring()), test::PatternBytes(0, 200000));
}

TEST_F(InstallTest, FileThatStaysBadStopsTheRunAfterTheSecondAttempt) {
  UseScenario(L"md5_bad");
  const int servedBefore = ServedCount("/md5_bad/files/bad.pak");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  const MessageBoxSeen box = RunEndsWithMessage(window, kInstallButton);
  EXPECT_EQ(box.text,
            "Lỗi: Tệp tin bad.pak tải về bị hỏng (sai mã MD5) dù đã tải lại. Vui lòng thử lại sau!");
  EXPECT_EQ(ServedCount("/md5_bad/files/bad.pak") - servedBefore, 2);
  EXPECT_FALSE(fs::exists(downloads_ / L"bad.pak")) << "a file that failed its check is not kept";
  EXPECT_FALSE(fs::exists(game_ / L"version.dat")) << "nothing was installed";
}

TEST_F(InstallTest, FailedSetupIsReportedAndARetrySucceeds) {
  UseScenario(L"setup_fails");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  const MessageBoxSeen box = RunEndsWithMessage(window, kInstallButton);
  EXPECT_EQ(box.text, "Tiến trình cài đặt: SL_Full_120_fail7.exe đã hủy. Vui lòng thử lại");
  EXPECT_TRUE(IsShown(window, kInstallButton));

  UseScenario(L"single");
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
}

TEST_F(InstallTest, ListWithoutASetupProgramEndsWithTheCancelledMessage) {
  UseScenario(L"no_setup");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  EXPECT_EQ(RunEndsWithMessage(window, kInstallButton).text, "Tiến trình cài đặt:  đã hủy. Vui lòng thử lại");
  EXPECT_EQ(FileSize(downloads_ / L"music.pak"), 8192u) << "the files were downloaded first";
}

TEST_F(InstallTest, DownloadCutByClosingResumesAfterARestart) {
  UseScenario(L"resume");
  constexpr uint64_t kSize = 600 * 1024;
  const fs::path partial = downloads_ / L"big.pak";
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(WaitUntil([&] { return FileSize(partial) > 64 * 1024; }, 30s));
  CloseDuringTheRun(window);
  const uint64_t kept = FileSize(partial);
  ASSERT_GT(kept, 0u);
  ASSERT_LT(kept, kSize) << "closed before the file was complete";

  window = Start(-1, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  const auto requests = FaultRequests("big.pak");
  ASSERT_EQ(requests.size(), 2u);
  // The resume asks again for the last byte it has, which proves the file still lines up.
  EXPECT_EQ(requests[1].first, "bytes=" + std::to_string(kept - 1) + "-");
  EXPECT_EQ(requests[1].second, kSize - kept + 1) << "only the missing part was sent again";
  EXPECT_EQ(test::ReadFileBytes(partial.wstring()), test::PatternBytes(0, kSize));
}

// Pause ends the transfer at once and keeps every byte: the server sees the client leave within a
// second and the file stops growing. Resume asks only for what is missing; closing while paused
// asks nothing, and the next run's press resumes too.
TEST_F(InstallTest, PauseStopsTheTransferAndEveryResumeFetchesOnlyTheRest) {
  UseScenario(L"resume");
  constexpr uint64_t kSize = 600 * 1024;
  constexpr int kPauseButton = 1723;
  const fs::path partial = downloads_ / L"big.pak";
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(WaitUntil([&] { return FileSize(partial) > 64 * 1024; }, 30s));
  const HWND pause = ::GetDlgItem(window, kPauseButton);
  ASSERT_TRUE(IsShown(window, kPauseButton));
  EXPECT_EQ(TextOf(pause), "Tạm dừng");
  // Enter stands for the view's main action: pause.
  ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
  const double pressed = NowSeconds();
  std::vector<double> ended;
  ASSERT_TRUE(WaitUntil([&] { return FaultRequests("big.pak", &ended).size() == 1; }, 5s));
  EXPECT_LT(ended[0] - pressed, 1.0) << "the server saw the client leave within a second";
  EXPECT_TRUE(WaitUntil([&] { return TextOf(pause) == "Tiếp tục"; }, 2s)) << TextOf(pause);
  const uint64_t first = FileSize(partial);
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(FileSize(partial), first) << "nothing is written while paused";
  EXPECT_GE(first, FaultRequests("big.pak")[0].second - 64 * 1024) << "what the server sent is on disk";

  Press(window, kPauseButton);
  ASSERT_TRUE(WaitUntil([&] { return FileSize(partial) > first + 32 * 1024; }, 20s));
  EXPECT_EQ(TextOf(pause), "Tạm dừng");
  Press(window, kPauseButton);
  ASSERT_TRUE(WaitUntil([&] { return FaultRequests("big.pak").size() == 2; }, 5s));
  const uint64_t second = FileSize(partial);
  ASSERT_LT(second, kSize);
  ::PostMessageW(window, WM_COMMAND, kCloseButton, 0);
  EXPECT_EQ(app_.WaitForExit(15s), 0u) << "closing while paused asks nothing";

  window = Start(-1, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  const auto requests = FaultRequests("big.pak");
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].first, "bytes=" + std::to_string(first - 1) + "-");
  EXPECT_EQ(requests[2].first, "bytes=" + std::to_string(second - 1) + "-");
  EXPECT_EQ(requests[2].second, kSize - second + 1) << "only the missing part was sent again";
  EXPECT_EQ(test::ReadFileBytes(partial.wstring()), test::PatternBytes(0, kSize));
}

// The total bar counts the bytes of every file of the step: it only grows, never passes 100 %, and
// stands at 100 % once every file is in.
TEST_F(InstallTest, TotalProgressOverFilesOfDifferentSizesOnlyGrows) {
  UseScenario(L"three");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  std::vector<int> shown;
  int atInstall = -1;
  HWND progress = nullptr;
  WaitUntil(
      [&] {
        if (progress == nullptr) progress = ::FindWindowExW(window, nullptr, L"SlProgressControl", nullptr);
        DWORD_PTR percent = 0;
        if (progress == nullptr || !::IsWindowVisible(progress) ||
            ::SendMessageTimeoutW(progress, PBM_GETPOS, 0, 0, SMTO_BLOCK, 1000, &percent) == 0)
          return false;
        if (TextOf(progress) == "Đang cài đặt...") {
          atInstall = static_cast<int>(percent);
          return true;
        }
        shown.push_back(static_cast<int>(percent));
        return false;
      },
      60s);
  ASSERT_TRUE(EndsInPlayView(window));
  ASSERT_GT(shown.size(), 20u);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << ::testing::PrintToString(shown);
  EXPECT_LE(shown.back(), 100);
  const auto between = std::count_if(shown.begin(), shown.end(), [](int p) { return p > 5 && p < 95; });
  EXPECT_GT(between, 10) << "the bar moved through the step, not in one jump";
  EXPECT_EQ(atInstall, 100);
}

// A patch larger than the download drive (S:, a tmpfs) is refused before any file is asked for,
// naming the drive and what it lacks.
TEST_F(InstallTest, StepLargerThanTheDriveIsRefusedBeforeAnyRequest) {
  UseScenario(L"too_big");
  const fs::path small = L"S:\\slvn";
  fs::create_directories(small);
  WriteRegistryText(kLauncherKey, L"TempDownloadPath", small.wstring());
  HWND window = Start(120, kUpdateButton);
  const int before = ServedCount("/too_big/files/");
  Press(window, kUpdateButton);
  const std::string text = RunEndsWithMessage(window, kUpdateButton).text;
  EXPECT_EQ(text.rfind("Ổ đĩa S:\\ không đủ dung lượng", 0), 0u) << text;
  EXPECT_NE(text.find("cần 64.00 GB, chỉ còn trống "), std::string::npos) << text;
  EXPECT_EQ(ServedCount("/too_big/files/"), before) << "no file of the step was asked for";
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
}

TEST_F(InstallTest, UrlsWithAQueryInstallToTheEnd) {
  UseScenario(L"query");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(121));
  EXPECT_EQ(SetupRuns(game_), (std::vector<std::string>{"SL_Full_120.exe", "SL_Patch_121.exe"}));
}

// A transfer cut short is resumed where it stopped; it is never checked, deleted or installed short.
TEST_F(InstallTest, CutTransfersResumeAndAreNeverInstalledShort) {
  constexpr uint64_t kSize = 400000, kQuarter = kSize / 4;
  UseScenario(L"cut");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  const auto requests = FaultRequests("cut.pak");
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].first, "bytes=" + std::to_string(kQuarter - 1) + "-");
  EXPECT_EQ(requests[2].first, "bytes=" + std::to_string(2 * kQuarter - 2) + "-");
  EXPECT_EQ(requests[0].second + requests[1].second + requests[2].second, kSize + 2)
      << "only the missing bytes, and the one byte each resume asks for again";
  EXPECT_EQ(test::ReadFileBytes((downloads_ / L"cut.pak").wstring()), test::PatternBytes(0, kSize));

  // Without an MD5 to catch it, a file that never arrives whole still ends the run uninstalled.
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitForExit(15s), 0u);
  UseScenario(L"cut_then_gone");
  window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  EXPECT_EQ(RunEndsWithMessage(window, kInstallButton).text, kConnectionError);
  const auto gone = FaultRequests("gone.pak");
  ASSERT_EQ(gone.size(), 2u) << "cut, then resumed once: a 410 is not asked again";
  EXPECT_EQ(gone[1].first, "bytes=99999-");
  EXPECT_TRUE(SetupRuns(game_).empty()) << "the setup program never ran";
}

// Small files go several at a time: later ones are whole while an earlier slow one still comes.
// Closing then asks the usual question and loses nothing; the next run resumes what was cut or
// left partial, and installs every file whole and checked.
TEST_F(InstallTest, ManySmallFilesGoSeveralAtATimeAndAClosedRunResumes) {
  constexpr uint64_t kSlowSize = 64 * 1024, kCutSize = 400000;
  UseScenario(L"many");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  const fs::path slow = downloads_ / L"slow_small.pak";
  ASSERT_TRUE(
      WaitUntil([&] { return FileSize(slow) > 0 && FileSize(downloads_ / L"small_010.pak") == 4106; }, 30s))
      << "a later small file is whole while the slow one comes";
  EXPECT_LT(FileSize(slow), kSlowSize);
  CloseDuringTheRun(window);

  window = Start(-1, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(SetupRuns(game_), std::vector<std::string>{"SL_Full_120.exe"});
  const auto slowRequests = FaultRequests("slow_small.pak");
  ASSERT_EQ(slowRequests.size(), 2u);
  EXPECT_NE(slowRequests[1].first, "") << "resumed, not fetched again";
  const auto cut = FaultRequests("cut_small.pak");
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut[2].first, "bytes=" + std::to_string(2 * (kCutSize / 4) - 2) + "-");
  EXPECT_EQ(test::ReadFileBytes(slow.wstring()), test::PatternBytes(0, kSlowSize));
  EXPECT_EQ(test::ReadFileBytes((downloads_ / L"cut_small.pak").wstring()), test::PatternBytes(0, kCutSize));
  const fs::path published = fs::path(g_servers.WwwPath(L"")) / L"scenarios" / L"many" / L"files";
  int compared = 0;
  for (const auto& file : fs::directory_iterator(published)) {
    EXPECT_EQ(test::ReadFileBytes((downloads_ / file.path().filename()).wstring()),
              test::ReadFileBytes(file.path().wstring()))
        << file.path().filename().string();
    ++compared;
  }
  EXPECT_EQ(compared, 303);
}

// Half a minute without a server after a cut at a tenth: the run waits by itself, counting down,
// and goes on from the last byte on disk once the server is back.
TEST_F(InstallTest, OutageAfterACutIsWaitedOutWithoutAPress) {
  constexpr size_t kSize = 2 * 1024 * 1024, kCut = kSize / 10;
  g_ownServer.Clear();
  g_ownServer.Publish(
      "/outage/big.pak",
      {.body = test::PatternBytes(0, kSize), .cutAt = kCut, .cutAnswers = 1, .cutHoldsUntilStop = true});
  UseScenario(L"outage");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  const fs::path partial = downloads_ / L"big.pak";
  // The outage starts with the cut's close, before the program can try again.
  ASSERT_TRUE(WaitUntil([&] { return g_ownServer.HoldingCuts() == 1; }, 30s));
  g_ownServer.Stop();
  ASSERT_TRUE(WaitUntil([&] { return FileSize(partial) == kCut; }, 10s));
  const auto outageStart = std::chrono::steady_clock::now();
  const HWND status = ::FindWindowExW(window, nullptr, L"SlProgressControl", nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] { return TextOf(status).starts_with("Mất kết nối đến máy chủ, tự động thử lại sau "); }, 10s))
      << TextOf(status);
  std::this_thread::sleep_until(outageStart + 30s);
  ASSERT_TRUE(g_ownServer.Start(g_ownServerPort));
  ASSERT_TRUE(EndsInPlayView(window, 120s));
  EXPECT_EQ(test::ReadFileBytes(partial.wstring()), test::PatternBytes(0, kSize));
  std::vector<std::string> asked;
  for (const std::string& request : g_ownServer.Requests())
    if (request.starts_with("/outage/big.pak|")) asked.push_back(request);
  EXPECT_EQ(asked, (std::vector<std::string>{"/outage/big.pak|",
                                             "/outage/big.pak|bytes=" + std::to_string(kCut - 1) + "-"}))
      << "only the missing bytes, once the server is back";
}

// A patch step that fails in any way is tried again before the one after it, which therefore only
// ever runs over its own predecessor (the stand-in patch refuses anything else).
TEST_F(InstallTest, FailedOrRefusedPatchIsNeverPassedOver) {
  UseScenario(L"patch_no_setup");
  HWND window = Start(120, kUpdateButton);
  Press(window, kUpdateButton);
  EXPECT_EQ(RunEndsWithMessage(window, kUpdateButton).text, "Tiến trình cài đặt:  đã hủy. Vui lòng thử lại");
  UseScenario(L"chain");
  Press(window, kUpdateButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(SetupRuns(game_), (std::vector<std::string>{"SL_Patch_121.exe", "SL_Patch_122.exe"}));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(122));
  ::PostMessageW(window, WM_CLOSE, 0, 0);  // idle: closes without a question
  ASSERT_EQ(app_.WaitForExit(15s), 0u);

  UseScenario(L"patch_refused");
  const int patch122Before = ServedCount("SL_Patch_122.exe");
  window = Start(120, kUpdateButton);
  Press(window, kUpdateButton);
  EXPECT_EQ(RunEndsWithMessage(window, kUpdateButton).text, kPlanFailed);
  EXPECT_EQ(ServedCount("SL_Patch_122.exe"), patch122Before) << "nothing of the next patch";
}

// A patch list is skipped only when the server says it has none: a busy answer is waited out, a
// refusal ends the run as a failed fetch and the next patch is never asked for.
TEST_F(InstallTest, BusyPatchListIsWaitedOutAndARefusedOneIsNeverSkipped) {
  const auto list = [](int number) {
    return test::ReadFileBytes(
        g_servers.WwwPath(L"scenarios\\chain\\patch\\SL_Patch_" + std::to_wstring(number) + L".ini"));
  };
  const auto publishVersions = [] {
    g_ownServer.Clear();
    g_ownServer.Publish("/launcher/version.ini", {.body = kOwnVersion});
    g_ownServer.Publish("/autoreal/version.ini", {.body = "LatestVersion=122\nMinimalVersion=100\n"});
  };
  const auto listAsked = [](const std::string& name) {
    int count = 0;
    for (const std::string& request : g_ownServer.Requests())
      count += request.starts_with("/patch/" + name + "|");
    return count;
  };
  publishVersions();
  g_ownServer.Publish("/patch/SL_Patch_121.ini", {.body = list(121), .refusals = {{429, "1"}}});
  g_ownServer.Publish("/patch/SL_Patch_122.ini", {.body = list(122)});
  HWND window = Start(120, kUpdateButton, g_ownServerApp);
  Press(window, kUpdateButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(122));
  EXPECT_EQ(SetupRuns(game_), (std::vector<std::string>{"SL_Patch_121.exe", "SL_Patch_122.exe"}));
  EXPECT_EQ(listAsked("SL_Patch_121.ini"), 2);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitForExit(15s), 0u);

  publishVersions();
  g_ownServer.Publish("/patch/SL_Patch_121.ini",
                      {.body = list(121), .refusals = {{403, ""}}, .refuseAlways = true});
  g_ownServer.Publish("/patch/SL_Patch_122.ini", {.body = list(122)});
  window = Start(120, kUpdateButton, g_ownServerApp);
  Press(window, kUpdateButton);
  EXPECT_EQ(RunEndsWithMessage(window, kUpdateButton).text, kPlanFailed);
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
  EXPECT_EQ(listAsked("SL_Patch_121.ini"), 1) << "a refusal is not asked again";
  EXPECT_EQ(listAsked("SL_Patch_122.ini"), 0) << "nor passed over";
}

// The window answers within half a second all the while: a plan over a list that takes seconds to
// come, and the check of a 1 GiB file already in the download folder; a close during either asks
// and loses nothing.
TEST_F(InstallTest, WindowAnswersDuringASlowPlanAndALongCheck) {
  UseScenario(L"single");
  g_ownServer.Clear();
  g_ownServer.Publish("/launcher/version.ini", {.body = kOwnVersion});
  g_ownServer.Publish("/autoreal/version.ini", {.body = "LatestVersion=120\nMinimalVersion=100\n"});
  g_ownServer.Publish(
      "/patch/SL_Full_120.ini",
      {.body = test::ReadFileBytes(g_servers.WwwPath(L"patch\\SL_Full_120.ini")), .silentMs = 4000});
  HWND window = Start(0, kInstallButton, g_ownServerApp);
  {
    const AnswerWatch watch(window);
    Press(window, kInstallButton);
    ::Sleep(2500);
    EXPECT_LT(watch.LongestMs(), 500) << "during the plan";
  }
  CloseDuringTheRun(window);

  // 1 GiB of zeros, complete in the download folder and on the server.
  constexpr uint64_t kSize = 1ull << 30;
  const fs::path big = downloads_ / L"big.pak";
  const fs::path served = fs::path(g_servers.WwwPath(L"big.pak"));
  Md5 md5;
  {
    const std::string block(1 << 20, '\0');
    std::ofstream file(big, std::ios::binary);
    for (uint64_t written = 0; written < kSize; written += block.size()) {
      file.write(block.data(), static_cast<std::streamsize>(block.size()));
      md5.Update(block.data(), block.size());
    }
  }
  ASSERT_TRUE(::CopyFileW(big.c_str(), served.c_str(), FALSE));
  const std::string list = test::ReadFileBytes(g_servers.WwwPath(L"patch\\SL_Full_120.ini"));
  test::WriteFileBytes(
      g_servers.WwwPath(L"patch\\SL_Full_120.ini"),
      g_servers.http + "/big.pak," + md5.FinishHex() + "," + std::to_string(kSize) + "\n" + list);
  const HWND status = [&] {
    window = Start(0, kInstallButton);
    return ::FindWindowExW(window, nullptr, L"SlProgressControl", nullptr);
  }();
  {
    const AnswerWatch watch(window);
    Press(window, kInstallButton);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(status) == "Md5Verify big.pak"; }, 30s)) << TextOf(status);
    EXPECT_LT(watch.LongestMs(), 500) << "during the check";
  }
  CloseDuringTheRun(window);
  EXPECT_EQ(FileSize(big), kSize) << "nothing lost";
  window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  EXPECT_TRUE(EndsInPlayView(window));
  fs::remove(big);
  fs::remove(served);
}

TEST_F(InstallTest, ChainThatStopsShortSaysWhyAndCanBeStartedAgain) {
  UseScenario(L"patch_gap");
  HWND window = Start(120, kUpdateButton);
  Press(window, kUpdateButton);
  EXPECT_EQ(RunEndsWithMessage(window, kUpdateButton).text, kPlanFailed);  // also waits for the button
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(121));
}

TEST_F(InstallTest, FullInstallLeavingNoReleaseRunsItsSetupOnce) {
  UseScenario(L"no_version");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  EXPECT_EQ(RunEndsWithMessage(window, kInstallButton).text,
            "Tiến trình cài đặt: SL_Full_120_noversion.exe đã hủy. Vui lòng thử lại");
  ::Sleep(2000);  // time enough for a second round, were there one
  EXPECT_EQ(AnswerMessageBox(app_.id(), IDOK, 1s).text, "") << "one message";
  EXPECT_EQ(SetupRuns(game_).size(), 1u);
}

// As shipped, over TLS only: every manifest and file of a whole install comes over https.
TEST_F(InstallTest, FullInstallOverHttps) {
  UseScenario(L"tls");
  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  HWND window = Start(0, kInstallButton, g_tlsApp);
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
  const std::string served = test::ReadFileBytes(g_servers.folder + L"\\access-tls.log");
  for (const char* file : {"/patch/SL_Full_120.ini", "/scenarios/tls/files/SL_Full_120.exe|200|",
                           "/scenarios/tls/files/patcher_sl2.exe|200|"})
    EXPECT_NE(served.find(file), std::string::npos) << file;
}

// The shipped program speaks TLS only: an http address in a list, or an https one that redirects
// to http, is refused before a byte reaches the plain server, and the player reads which one.
TEST_F(InstallTest, TlsBuildRefusesClearTextInListsAndRedirects) {
  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  const size_t plainBefore = test::ReadFileBytes(g_servers.AccessLogPath()).size();
  const std::string plainFile = g_servers.http + "/scenarios/tls/files/SL_Full_120.exe";
  const std::pair<const wchar_t*, std::string> cases[] = {
      {L"tls_clear_file",
       "Lỗi: Địa chỉ không dùng kết nối bảo mật (https), chương trình không tải: " + plainFile},
      {L"tls_redirected_file",
       "Lỗi: Máy chủ chuyển hướng sang kết nối không bảo mật, chương trình không theo: " + plainFile},
      {L"tls_redirected_list", "Máy chủ chuyển hướng sang kết nối không bảo mật, chương trình không theo: " +
                                   g_servers.http + "/patch/SL_Full_777.ini"},
  };
  for (const auto& [scenario, message] : cases) {
    UseScenario(scenario);
    HWND window = Start(0, kInstallButton, g_tlsApp);
    Press(window, kInstallButton);
    EXPECT_EQ(RunEndsWithMessage(window, kInstallButton).text, message) << Narrow(scenario);
    EXPECT_TRUE(SetupRuns(game_).empty());
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(app_.WaitForExit(15s), 0u);
  }
  const std::string plainLog = test::ReadFileBytes(g_servers.AccessLogPath()).substr(plainBefore);
  EXPECT_EQ(plainLog.find("SL_Full_120.exe"), std::string::npos) << plainLog;
  EXPECT_EQ(plainLog.find("SL_Full_777.ini"), std::string::npos) << plainLog;
}

// A signed program starts only setup programs its own publisher signed: not an unsigned, a
// differently signed, a changed one, nor one signed in the publisher's name by an unknown authority.
TEST_F(InstallTest, SignedProgramRunsOnlyItsPublishersSetupPrograms) {
  test::TrustedCa trust(g_signed + L"\\ca.crt");
  ASSERT_TRUE(trust.added());
  const fs::path www(g_servers.WwwPath(L""));
  for (const char* signing : {"unsigned", "other", "impostor", "tampered", "publisher"}) {
    SCOPED_TRACE(signing);
    const fs::path folder = www / L"signed" / signing;
    fs::create_directories(folder);
    ::CopyFileW((g_signed + L"\\setup_" + Widen(signing) + L".exe").c_str(),
                (folder / L"SL_Full_120.exe").c_str(), FALSE);
    fs::remove_all(www / L"patch");
    fs::create_directories(www / L"patch");
    fs::create_directories(www / L"autoreal");
    test::WriteFileBytes((www / L"patch" / L"SL_Full_120.ini").wstring(),
                         g_servers.http + "/signed/" + signing + "/SL_Full_120.exe,,\n");
    test::WriteFileBytes((www / L"autoreal" / L"version.ini").wstring(),
                         "LatestVersion=120\nMinimalVersion=100\n");
    HWND window = Start(0, kInstallButton, g_signed + L"\\app\\Stormline_VN.exe");
    Press(window, kInstallButton);
    if (std::string_view(signing) == "publisher") {
      ASSERT_TRUE(EndsInPlayView(window));
      EXPECT_EQ(SetupRuns(game_), std::vector<std::string>{"SL_Full_120.exe"});
    } else {
      EXPECT_EQ(
          RunEndsWithMessage(window, kInstallButton).text,
          "Chương trình cài đặt SL_Full_120.exe không có chữ ký số hợp lệ của nhà phát hành, chương trình "
          "không chạy nó.");
      EXPECT_TRUE(SetupRuns(game_).empty()) << "never started";
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(app_.WaitForExit(15s), 0u);
  }
}

// Without a version manifest there is nothing to play unless a game is installed; the install press
// asks the server again and goes on once it answers.
TEST_F(InstallTest, MissingVersionManifestOffersTheInstallAndAPressAsksAgain) {
  UseScenario(L"single");
  const fs::path manifest = fs::path(g_servers.WwwPath(L"autoreal")) / L"version.ini";
  fs::remove(manifest);
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  EXPECT_EQ(RunEndsWithMessage(window, kInstallButton).text, kPlanFailed);
  UseScenario(L"single");
  Press(window, kInstallButton);
  ASSERT_TRUE(EndsInPlayView(window));
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitForExit(15s), 0u);

  // An installed game can still be started while the server is away, and a missing patcher is
  // said in the player's language, not by the shell.
  fs::remove(manifest);
  window = Start(120, kPlayButton);
  Press(window, kPlayButton);
  EXPECT_EQ(AnswerMessageBox(app_.id(), IDOK).text,
            "Không tìm thấy " + Narrow((game_ / L"patcher_sl2.exe").wstring()) +
                " để khởi động Bão Lửa. Vui lòng cài đặt lại trò chơi!");
}

TEST_F(InstallTest, ClosingWhileTheSetupProgramRunsLeavesItToFinish) {
  UseScenario(L"slow_setup");
  HWND window = Start(0, kInstallButton);
  Press(window, kInstallButton);
  ASSERT_TRUE(WaitUntil([] { return IsProcessRunning(L"SL_Full_120_sleep10000.exe"); }, 30s));
  CloseDuringTheRun(window);
  EXPECT_TRUE(WaitUntil([&] { return FileSize(game_ / L"version.dat") == 4; }, 30s));
  window = Start(-1, kPlayButton);
  EXPECT_EQ(test::ReadFileBytes((game_ / L"version.dat").wstring()), Version(120));
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 7) {
    fprintf(stderr, "usage: %s <app> <servers.env> <https app> <own-server app> <own-server port> <signed>\n",
            argv[0]);
    return 2;
  }
  sl::e2e::SetAppPath(argv[1]);
  sl::e2e::g_servers = sl::test::LoadTestServers(argv[2]);
  sl::e2e::g_tlsApp = sl::test::WinePath(argv[3]);
  sl::e2e::g_ownServerApp = sl::test::WinePath(argv[4]);
  sl::e2e::g_ownServerPort = static_cast<uint16_t>(std::stoul(argv[5]));
  sl::e2e::g_signed = sl::test::WinePath(argv[6]);
  if (!sl::e2e::g_ownServer.Start(sl::e2e::g_ownServerPort)) {
    fprintf(stderr, "cannot listen on port %s\n", argv[5]);
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  sl::e2e::g_ownServer.Stop();
  return result;
}
