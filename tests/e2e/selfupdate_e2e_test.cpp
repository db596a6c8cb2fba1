// The self-update as a player meets it: the offer at start, the hand-over to the copy, the download
// window, the replacement and restart of the program, and what stops each of them. Every test runs
// the programs from a folder of its own, since the update rewrites the files beside the program.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app_driver.h"
#include "base/md5.h"
#include "base/text_win.h"
#include "loopback_server.h"
#include "tests/support/test_servers_win.h"
#include "tests/support/tracking_test_support_win.h"
#include "window_probe.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::wstring g_oldApp;      // version 1025, download server: nginx
std::wstring g_nextApp;     // version 1026, download server: nginx; the package the tests publish
std::wstring g_packageApp;  // version 1025, download server: g_packageServer
std::wstring g_tlsApp;      // version 1025, download server: nginx over https
std::wstring g_signed;      // sign_programs.sh's folder: signed builds of the old and next programs
std::wstring g_screenshots;
test::TestServers g_servers;

constexpr char kOwnVersion[] = "1025";
constexpr wchar_t kSelfUpdateClass[] = L"vy_selfupdate";
constexpr char kCaption[] = "Cài đặt STORMLINE - Bão Lửa - 1.0.2.5";
constexpr char kFailedText[] = "Có lỗi trong quá trình cập nhật. Vui lòng thử lại sau!";
constexpr int kBarId = 1613;
constexpr uint16_t kCloseCommand = 7001;

LoopbackServer g_packageServer;

fs::path ImageOf(DWORD processId) {
  const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path, &length)) return {};
  return std::wstring(path, length);
}

// Ids of the running processes whose executable lies in `folder` and, when given, has that name.
std::vector<DWORD> ProcessesIn(const fs::path& folder, const wchar_t* name = nullptr) {
  std::vector<DWORD> found;
  // A snapshot that cannot be taken is INVALID_HANDLE_VALUE, as a file that cannot be opened.
  const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    const fs::path image = ImageOf(entry.th32ProcessID);
    if (image.empty() || ::lstrcmpiW(image.parent_path().c_str(), folder.c_str()) != 0) continue;
    if (name == nullptr || ::lstrcmpiW(image.filename().c_str(), name) == 0)
      found.push_back(entry.th32ProcessID);
  }
  return found;
}

DWORD WaitForProcess(const fs::path& folder, const wchar_t* name, std::chrono::milliseconds timeout) {
  DWORD id = 0;
  WaitUntil(
      [&] {
        const std::vector<DWORD> ids = ProcessesIn(folder, name);
        id = ids.empty() ? 0 : ids.front();
        return id != 0;
      },
      timeout);
  return id;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// Starts `path` as a child of another process, as a program that starts its successor would.
UniqueKernelHandle StartWithParent(const fs::path& path, DWORD parentId) {
  const UniqueKernelHandle parent(::OpenProcess(PROCESS_CREATE_PROCESS, FALSE, parentId));
  SIZE_T size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> storage(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  HANDLE parentHandle = parent.get();
  if (!parent || !::InitializeProcThreadAttributeList(attributes, 1, 0, &size) ||
      !::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parentHandle,
                                   sizeof(parentHandle), nullptr, nullptr)) {
    return {};
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.lpAttributeList = attributes;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + path.wstring() + L"\"";
  const BOOL started =
      ::CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, EXTENDED_STARTUPINFO_PRESENT,
                       nullptr, path.parent_path().c_str(), &startup.StartupInfo, &info);
  ::DeleteProcThreadAttributeList(attributes);
  if (!started) return {};
  ::CloseHandle(info.hThread);
  return UniqueKernelHandle(info.hProcess);
}

int BarPosition(HWND selfUpdateWindow) {
  const HWND panel = ::FindWindowExW(selfUpdateWindow, nullptr, L"SlProgressPanel", nullptr);
  return static_cast<int>(::SendMessageW(::GetDlgItem(panel, kBarId), PBM_GETPOS, 0, 0));
}

std::string Md5Hex(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.FinishHex();
}

// The launcher manifest of version 1026 naming the package's length and MD5.
std::string ManifestOf(const std::string& package) {
  return "1026\nPackageSize=" + std::to_string(package.size()) + "\nPackageMD5=" + Md5Hex(package) + "\n";
}

std::string LogText() {
  const std::string bytes = test::ReadFileBytes(LogFilePath());
  return Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
}

class SelfUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / L"sl_selfupdate_e2e" / Widen(info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::create_directories(fs::path(g_servers.WwwPath(L"launcher")));
    oldBytes_ = test::ReadFileBytes(g_oldApp);
    nextBytes_ = test::ReadFileBytes(g_nextApp);
    g_packageServer.Clear();
  }

  void TearDown() override {
    for (DWORD id : ProcessesIn(folder_)) {
      const UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), 5000);
    }
    PublishOnNginx("version.ini", kOwnVersion);
    for (const auto& entry : fs::directory_iterator(fs::path(g_servers.WwwPath(L"launcher")))) {
      if (entry.path().extension() == L".zip") fs::remove(entry.path());
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static void PublishOnNginx(const char* name, const std::string& bytes) {
    test::WriteFileBytes(g_servers.WwwPath(L"launcher\\" + Widen(name)), bytes);
  }

  fs::path File(const wchar_t* name) const { return folder_ / name; }
  std::string Bytes(const wchar_t* name) const { return test::ReadFileBytes(File(name).wstring()); }
  void Put(const wchar_t* name, const std::string& bytes) const {
    test::WriteFileBytes(File(name).wstring(), bytes);
  }
  bool Exists(const wchar_t* name) const { return fs::exists(File(name)); }

  // Waits for the new program to run from the main file and closes it the player's way.
  void ExpectNewProgramRunsAndCloses() {
    // Read seldom: a reader holding the main file makes the program's rename over it wait.
    const auto replaced = [&] {
      ::Sleep(500);
      return Bytes(L"Stormline_VN.exe") == nextBytes_;
    };
    EXPECT_TRUE(WaitUntil(replaced, 40s)) << "the main file holds the new build";
    const DWORD id = WaitForProcess(folder_, L"Stormline_VN.exe", 20s);
    ASSERT_NE(id, 0u) << "the new program started";
    const UniqueKernelHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    const HWND window = FindProcessWindow(id, kClassName, 20s);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(L"Stormline_VN.bin"); }, 15s)) << "its start removed the copy";
    EXPECT_FALSE(Exists(L"Stormline_VN.old")) << "and the program it replaced";
    EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip"));
    EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip.part"));
    ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
    ::WaitForSingleObject(process.get(), 15000);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
  }

  fs::path folder_;
  std::string oldBytes_;
  std::string nextBytes_;
};

TEST_F(SelfUpdateTest, YesHandsOverToTheCopyWhichReplacesAndRestartsTheProgram) {
  PublishOnNginx("version.ini", "1026");
  PublishOnNginx("Stormline_VN_1026.zip", nextBytes_);
  Put(L"Stormline_VN.exe", oldBytes_);
  AppProcess old = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
  ASSERT_NE(old.WaitForMainWindow(30s), nullptr) << "the check runs once the window shows";

  const MessageBoxSeen offer = AnswerMessageBox(old.id(), IDYES);
  EXPECT_EQ(offer.caption, kCaption);
  EXPECT_EQ(offer.text, "Bạn đang ở phiên bản cũ. Bạn có muốn cập nhật phiên bản 1.0.2.6 mới nhất không?");
  EXPECT_EQ(old.WaitForExit(15s), 0u);
  ExpectNewProgramRunsAndCloses();

  const std::string served = test::ReadFileBytes(g_servers.AccessLogPath());
  EXPECT_NE(served.find("/launcher/version.ini?t=1025|200|"), std::string::npos);
  EXPECT_NE(served.find("/launcher/Stormline_VN_1026.zip|200|"), std::string::npos);
  EXPECT_NE(served.find("/launcher/version.ini?t=1026|200|"), std::string::npos) << "asked by the new build";
}

// The replacement of a program that runs elevated comes over TLS, checked against the trusted CA.
TEST_F(SelfUpdateTest, UpdateOverHttpsReplacesTheProgram) {
  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  PublishOnNginx("version.ini", "1026");
  PublishOnNginx("Stormline_VN_1026.zip", nextBytes_);
  Put(L"Stormline_VN.exe", test::ReadFileBytes(g_tlsApp));
  AppProcess old = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
  ASSERT_NE(old.WaitForMainWindow(30s), nullptr);
  EXPECT_EQ(AnswerMessageBox(old.id(), IDYES).caption, kCaption);
  EXPECT_EQ(old.WaitForExit(15s), 0u);
  ExpectNewProgramRunsAndCloses();
  const std::string served = test::ReadFileBytes(g_servers.folder + L"\\access-tls.log");
  EXPECT_NE(served.find("/launcher/version.ini?t=1025|200|"), std::string::npos);
  EXPECT_NE(served.find("/launcher/Stormline_VN_1026.zip|200|"), std::string::npos);
}

// A package whose https address redirects to http is never fetched in clear text.
TEST_F(SelfUpdateTest, PackageRedirectedToClearTextIsRefused) {
  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  PublishOnNginx("version.ini", "1027");  // tests/servers/start.sh sends its package to http
  const size_t plainBefore = test::ReadFileBytes(g_servers.AccessLogPath()).size();
  Put(L"Stormline_VN.exe", oldBytes_);
  Put(L"Stormline_VN.bin", test::ReadFileBytes(g_tlsApp));
  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  EXPECT_EQ(AnswerMessageBox(copy.id(), IDOK, 40s).text, kFailedText);
  EXPECT_EQ(copy.WaitForExit(15s), 0u);
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);
  const std::string package = "/launcher/Stormline_VN_1027.zip";
  EXPECT_NE(LogText().find("Từ chối chuyển hướng từ " + g_servers.https + package + " sang " +
                           g_servers.http + package),
            std::string::npos)
      << LogText();
  EXPECT_EQ(test::ReadFileBytes(g_servers.AccessLogPath()).substr(plainBefore).find(package),
            std::string::npos);
}

// The offer is the main window's own question: under it a press on install does nothing.
TEST_F(SelfUpdateTest, NoKeepsTheRunningProgram) {
  PublishOnNginx("version.ini", "1026");
  Put(L"Stormline_VN.exe", oldBytes_);
  AppProcess app = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
  const HWND window = app.WaitForMainWindow(30s);
  ASSERT_NE(window, nullptr);
  const HWND question = FindProcessWindow(app.id(), L"#32770", 20s);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(::GetWindow(question, GW_OWNER), window);
  const size_t servedBefore = test::ReadFileBytes(g_servers.AccessLogPath()).size();
  ::SendMessageW(::GetDlgItem(window, 1720), BM_CLICK, 0, 0);
  EXPECT_EQ(AnswerMessageBox(app.id(), IDNO).caption, kCaption);
  ::Sleep(1500);
  EXPECT_FALSE(::IsWindowVisible(::FindWindowExW(window, nullptr, L"SlProgressControl", nullptr)));
  EXPECT_EQ(test::ReadFileBytes(g_servers.AccessLogPath()).substr(servedBefore).find("/patch/"),
            std::string::npos)
      << "no run began";
  ::Sleep(1000);
  EXPECT_EQ(app.WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_FALSE(Exists(L"Stormline_VN.bin")) << "no hand-over was prepared";
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);
  ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
  EXPECT_EQ(app.WaitForExit(15s), 0u);
}

TEST_F(SelfUpdateTest, NothingNewerAsksNothingAndRemovesALeftoverCopy) {
  Put(L"Stormline_VN.exe", oldBytes_);
  for (const char* published : {"1025", "1000", "-5"}) {
    SCOPED_TRACE(published);
    PublishOnNginx("version.ini", published);
    Put(L"Stormline_VN.bin", "a copy left by an earlier update");
    AppProcess app = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
    const HWND window = app.WaitForMainWindow(30s);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(L"Stormline_VN.bin"); }, 20s));
    // The copy goes only on the road without an offer, so no offer can follow.
    EXPECT_EQ(FindProcessWindow(app.id(), L"#32770", 0ms), nullptr);
    ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
    EXPECT_EQ(app.WaitForExit(15s), 0u);
  }
  EXPECT_NE(LogText().find("version.ini: -5 không phải là số phiên bản, bỏ qua cập nhật"), std::string::npos);
}

TEST_F(SelfUpdateTest, FailedDownloadTellsThePlayerAndLeavesTheProgramUntouched) {
  PublishOnNginx("version.ini", "1027");  // no package of that version on the server
  Put(L"Stormline_VN.exe", oldBytes_);
  Put(L"Stormline_VN.bin", oldBytes_);
  Put(L"Stormline_VN_1027.zip", "<html>not a program</html>");  // must not be applied either
  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  ASSERT_NE(FindProcessWindow(copy.id(), kSelfUpdateClass, 30s), nullptr);
  const MessageBoxSeen failure = AnswerMessageBox(copy.id(), IDOK);
  EXPECT_EQ(failure.caption, kCaption);
  EXPECT_EQ(failure.text, kFailedText);
  EXPECT_EQ(copy.WaitForExit(15s), 0u);
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);
  EXPECT_FALSE(Exists(L"Stormline_VN_1027.zip")) << "the foreign package was removed";
  EXPECT_FALSE(Exists(L"Stormline_VN_1027.zip.part"));
}

// A package an earlier run left whole is applied without a download only when the manifest's length
// and MD5 vouch for it; any other is fetched again. The main file is never written in place, so a
// run killed after its download leaves a program that starts and updates.
TEST_F(SelfUpdateTest, LeftPackageIsUsedOnlyWithTheManifestsLengthAndMd5) {
  PublishOnNginx("version.ini", ManifestOf(nextBytes_));
  for (const std::string* left : {&nextBytes_, &oldBytes_}) {
    const bool vouched = left == &nextBytes_;
    SCOPED_TRACE(vouched ? "left whole" : "an older build left");
    if (!vouched) PublishOnNginx("Stormline_VN_1026.zip", nextBytes_);
    Put(L"Stormline_VN.exe", oldBytes_);
    Put(L"Stormline_VN_1026.zip", *left);
    const size_t servedBefore = test::ReadFileBytes(g_servers.AccessLogPath()).size();
    AppProcess old = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
    ASSERT_NE(old.WaitForMainWindow(30s), nullptr);
    EXPECT_EQ(AnswerMessageBox(old.id(), IDYES).caption, kCaption);
    EXPECT_EQ(old.WaitForExit(15s), 0u);
    ExpectNewProgramRunsAndCloses();
    const bool fetched = test::ReadFileBytes(g_servers.AccessLogPath())
                             .substr(servedBefore)
                             .find("/launcher/Stormline_VN_1026.zip") != std::string::npos;
    EXPECT_EQ(fetched, !vouched);
  }
}

// A signed program takes for its replacement only a package its own publisher signed.
TEST_F(SelfUpdateTest, SignedProgramTakesOnlyItsPublishersPackage) {
  test::TrustedCa trust(g_signed + L"\\ca.crt");
  ASSERT_TRUE(trust.added());
  const std::string signedOld = test::ReadFileBytes(g_signed + L"\\app\\Stormline_VN.exe");
  PublishOnNginx("version.ini", "1026");
  for (const char* signing : {"unsigned", "other", "impostor", "tampered", "publisher"}) {
    SCOPED_TRACE(signing);
    nextBytes_ = test::ReadFileBytes(g_signed + L"\\next_" + Widen(signing) + L".exe");
    PublishOnNginx("Stormline_VN_1026.zip", nextBytes_);
    Put(L"Stormline_VN.exe", signedOld);
    Put(L"Stormline_VN.bin", signedOld);
    AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
    if (std::string_view(signing) == "publisher") {
      EXPECT_EQ(copy.WaitForExit(60s), 0u);
      ExpectNewProgramRunsAndCloses();
      continue;
    }
    EXPECT_EQ(
        AnswerMessageBox(copy.id(), IDOK, 40s).text,
        "Gói cập nhật Stormline_VN_1026.zip không có chữ ký số hợp lệ của nhà phát hành, chương trình không "
        "cập nhật.");
    EXPECT_EQ(copy.WaitForExit(15s), 0u);
    EXPECT_EQ(Bytes(L"Stormline_VN.exe"), signedOld);
    EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip"));
    EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip.part"));
  }
}

TEST_F(SelfUpdateTest, RunningMainFileMakesTheReplacementFail) {
  PublishOnNginx("version.ini", ManifestOf(nextBytes_));
  // A program that keeps running under the main file's name: this test program, holding on.
  fs::copy_file(OwnPath(), File(L"Stormline_VN.exe"));
  const std::string holder = Bytes(L"Stormline_VN.exe");
  Put(L"Stormline_VN.bin", oldBytes_);
  Put(L"Stormline_VN_1026.zip", nextBytes_);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + File(L"Stormline_VN.exe").wstring() + L"\" --hold 60000";
  ASSERT_TRUE(::CreateProcessW(File(L"Stormline_VN.exe").c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &info));
  const UniqueKernelHandle thread(info.hThread);
  const UniqueKernelHandle running(info.hProcess);

  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  const MessageBoxSeen refusal =
      AnswerMessageBox(copy.id(), IDOK, 40s);  // after the 5 s wait for the main file
  EXPECT_EQ(refusal.caption, "Stormline VN");
  EXPECT_EQ(refusal.text, "Bạn vui lòng tắt Stormline VN trước khi thực hiện quá trình update");
  EXPECT_EQ(copy.WaitForExit(15s), 0u);
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), holder);
  EXPECT_FALSE(Exists(L"Stormline_VN.old"));
  EXPECT_TRUE(Exists(L"Stormline_VN_1026.zip")) << "kept for the next attempt";
  EXPECT_EQ(FindProcessWindow(copy.id(), kSelfUpdateClass, 0ms), nullptr) << "nothing to download";
}

TEST_F(SelfUpdateTest, CopyStartedWhileTheMainFileIsStillRunningWaitsThenUpdates) {
  PublishOnNginx("version.ini", kOwnVersion);
  Put(L"Stormline_VN.exe", oldBytes_);
  // The main file removes a leftover copy once its check finds nothing newer; the copy must be put
  // after that, or the removal races the copy's start.
  Put(L"Stormline_VN.bin", oldBytes_);
  AppProcess main = AppProcess::Start(File(L"Stormline_VN.exe").wstring());
  const HWND window = main.WaitForMainWindow(30s);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !Exists(L"Stormline_VN.bin"); }, 20s))
      << "its own check found nothing newer";

  PublishOnNginx("version.ini", "1026");
  PublishOnNginx("Stormline_VN_1026.zip", nextBytes_);
  Put(L"Stormline_VN.bin", oldBytes_);
  const UniqueKernelHandle copy = StartWithParent(File(L"Stormline_VN.bin"), main.id());
  ASSERT_TRUE(copy) << ::GetLastError();
  ::Sleep(2000);
  EXPECT_EQ(::WaitForSingleObject(copy.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the one-instance rule did not send the successor away";
  EXPECT_EQ(::FindWindowW(kSelfUpdateClass, nullptr), nullptr) << "it waits for its predecessor";
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);

  ::PostMessageW(window, WM_COMMAND, kCloseCommand, 0);
  EXPECT_EQ(main.WaitForExit(15s), 0u);
  ExpectNewProgramRunsAndCloses();
}

TEST_F(SelfUpdateTest, DownloadWindowFollowsASlowTransferAndOwnsTheMainWindow) {
  g_packageServer.Publish("/launcher/version.ini", {.body = "1026"});
  g_packageServer.Publish("/launcher/Stormline_VN_1026.zip", {.body = nextBytes_, .pieceDelayMs = 40});
  Put(L"Stormline_VN.exe", oldBytes_);
  Put(L"Stormline_VN.bin", test::ReadFileBytes(g_packageApp));
  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  const HWND window = FindProcessWindow(copy.id(), kSelfUpdateClass, 30s);
  ASSERT_NE(window, nullptr);
  RECT box{};
  EXPECT_TRUE(WaitUntil(  // shown at (0, 0) first, then centred
      [&] {
        ::GetWindowRect(window, &box);
        return box.left == (::GetSystemMetrics(SM_CXSCREEN) - 490) / 2 &&
               box.top == (::GetSystemMetrics(SM_CYSCREEN) - 120) / 2;
      },
      5s));
  EXPECT_EQ(box.right - box.left, 490);
  EXPECT_EQ(box.bottom - box.top, 120);
  EXPECT_TRUE(WaitUntil([&] { return BarPosition(window) >= 10; }, 20s));
  EXPECT_TRUE(SaveScreenshot(window, g_screenshots + L"\\selfupdate.png"));

  // The installer's window behind it takes no input and no close: the update runs to its end.
  const HWND mainWindow = FindProcessWindow(copy.id(), kClassName, 5s);
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_EQ(::GetWindow(window, GW_OWNER), mainWindow);
  EXPECT_FALSE(::IsWindowEnabled(mainWindow));
  ::PostMessageW(mainWindow, WM_COMMAND, kCloseCommand, 0);
  ::Sleep(500);
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_EQ(copy.WaitForExit(60s), 0u);
  ExpectNewProgramRunsAndCloses();
}

TEST_F(SelfUpdateTest, EscapeStopsTheDownloadAndTheInstallerGoesOn) {
  g_packageServer.Publish("/launcher/version.ini", {.body = "1026"});
  g_packageServer.Publish("/launcher/Stormline_VN_1026.zip",
                          {.body = nextBytes_, .pieceDelayMs = 25, .pieceBytes = 16 * 1024});
  Put(L"Stormline_VN.exe", oldBytes_);
  Put(L"Stormline_VN.bin", test::ReadFileBytes(g_packageApp));
  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  const HWND window = FindProcessWindow(copy.id(), kSelfUpdateClass, 30s);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return BarPosition(window) >= 1; }, 20s));

  ::PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); }, 10s));
  EXPECT_TRUE(WaitUntil([&] { return g_packageServer.Abandoned() == 1; }, 10s)) << "the transfer stopped";
  const uintmax_t partial = fs::file_size(File(L"Stormline_VN_1026.zip.part"));
  ::Sleep(2000);
  EXPECT_EQ(fs::file_size(File(L"Stormline_VN_1026.zip.part")), partial);
  EXPECT_LT(partial, nextBytes_.size());
  const HWND mainWindow = FindProcessWindow(copy.id(), kClassName, 0ms);
  ASSERT_NE(mainWindow, nullptr) << "the installer goes on";
  EXPECT_EQ(copy.WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);
  EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip"));
  ::PostMessageW(mainWindow, WM_COMMAND, kCloseCommand, 0);
  EXPECT_EQ(copy.WaitForExit(15s), 0u);
}

TEST_F(SelfUpdateTest, OnlyAWholeProgramIsAppliedAndACutTransferResumes) {
  g_packageServer.Publish("/launcher/version.ini", {.body = "1026"});
  Put(L"Stormline_VN.exe", oldBytes_);
  Put(L"Stormline_VN.bin", test::ReadFileBytes(g_packageApp));
  auto attempt = [&] {
    AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
    const MessageBoxSeen failure = AnswerMessageBox(copy.id(), IDOK);
    EXPECT_EQ(failure.text, kFailedText);
    EXPECT_EQ(copy.WaitForExit(15s), 0u);
    EXPECT_EQ(Bytes(L"Stormline_VN.exe"), oldBytes_);
    EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip"));
  };

  // Whole, but not a program: refused and removed.
  g_packageServer.Publish("/launcher/Stormline_VN_1026.zip", {.body = "<html>maintenance</html>"});
  attempt();
  EXPECT_FALSE(Exists(L"Stormline_VN_1026.zip.part"));

  // The real program, but the connection closes halfway through: resumed from there by itself,
  // under the server's word that the package is the same.
  const size_t half = nextBytes_.size() / 2;
  g_packageServer.Publish("/launcher/Stormline_VN_1026.zip",
                          {.body = nextBytes_, .cutAt = half, .cutAnswers = 1, .etag = "\"1026\""});
  AppProcess copy = AppProcess::Start(File(L"Stormline_VN.bin").wstring());
  EXPECT_EQ(copy.WaitForExit(60s), 0u);
  ExpectNewProgramRunsAndCloses();
  // The installer behind the download window fetches its manifest meanwhile: look at the package only.
  std::vector<std::string> packageRequests;
  for (const std::string& request : g_packageServer.Requests())
    if (request.starts_with("/launcher/Stormline_VN_1026.zip|")) packageRequests.push_back(request);
  ASSERT_EQ(packageRequests.size(), 3u) << "the refused package, then the cut one and its resume";
  EXPECT_EQ(packageRequests[2],
            "/launcher/Stormline_VN_1026.zip|bytes=" + std::to_string(half - 1) + "-|\"1026\"")
      << "the resume asked only for what was missing, under the package's ETag";
}

}  // namespace
}  // namespace sl::e2e

int main(int argc, char** argv) {
  // Stands in for a program that keeps running under another program's name.
  if (argc == 3 && std::string(argv[1]) == "--hold") {
    ::Sleep(static_cast<DWORD>(std::stoul(argv[2])));
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 9) {
    fprintf(stderr,
            "usage: %s <app> <next app> <package-server app> <servers.env> <screenshots> <port> <https app> "
            "<signed>\n",
            argv[0]);
    return 2;
  }
  sl::e2e::g_oldApp = sl::test::WinePath(argv[1]);
  sl::e2e::g_nextApp = sl::test::WinePath(argv[2]);
  sl::e2e::g_packageApp = sl::test::WinePath(argv[3]);
  sl::e2e::g_servers = sl::test::LoadTestServers(argv[4]);
  sl::e2e::g_screenshots = sl::test::WinePath(argv[5]);
  const auto port = static_cast<uint16_t>(std::stoul(argv[6]));
  sl::e2e::g_tlsApp = sl::test::WinePath(argv[7]);
  sl::e2e::g_signed = sl::test::WinePath(argv[8]);
  std::filesystem::create_directories(std::filesystem::path(sl::e2e::g_screenshots));
  if (!sl::e2e::g_packageServer.Start(port)) {
    fprintf(stderr, "cannot listen on port %u\n", port);
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  sl::e2e::g_packageServer.Stop();
  return result;
}
