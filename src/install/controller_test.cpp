#include "install/controller.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "diag/log.h"
#include "manifest/step_planner.h"

namespace sl {
namespace {

using Calls = std::vector<std::string>;
struct Listed {
  std::string name;
  uint64_t size;
  std::string md5;
};
struct Step {
  int32_t version;
  std::vector<Listed> files;
};

// Records what the controller asks for; the planner replays a fixed chain of steps.
struct FakeEnv : InstallControllerEnv, RunDisplay {
  InstallState state;
  FileList list;
  std::deque<Step> steps;
  std::deque<std::string> digests;  // FileMd5 results; the listed md5 once exhausted
  bool workerStarts = true;
  bool sideTransfers = false;  // StartSideDownload refuses unless told
  std::map<std::string, uint32_t> sideTickets;
  uint32_t nextTicket = 7;
  bool planPending = false;
  std::string warning;
  std::string deleteError;
  double now = 1'000'000.0;
  Calls calls;
  std::string status, remaining, percentText;
  int32_t percent = -1;
  uint64_t totalDone = 0, totalSize = 0;
  PauseControl pause = PauseControl::Unavailable;
  std::map<std::string, uint64_t> onDisk;  // by file name
  DriveSpace downloadDrive{"D:\\", std::nullopt}, installDrive{"C:\\", std::nullopt};

  void SetStatusLine(const std::string& text) override { status = text; }
  void SetRemainingLine(const std::string& text) override { remaining = text; }
  void SetCurrentPercent(int32_t value, const std::string& text) override {
    percent = value, percentText = text;
  }
  void SetTotalProgress(uint64_t done, uint64_t total) override { totalDone = done, totalSize = total; }
  void Redraw() override {}
  void ShowPauseControl(PauseControl control) override { pause = control; }
  uint64_t BytesOnDisk(size_t index) override { return onDisk[list.items[index]->fileName]; }
  DriveSpace DownloadDrive() override { return downloadDrive; }
  DriveSpace InstallDrive() override { return installDrive; }
  std::string GetItemLocalPath(FileItem& item) override { return "dl/" + item.fileName; }
  void NameTempItem(FileItem& item) override { item.fileName = "stamp.tmp"; }
  void StartDownload(const FileItem& item, const std::string& path) override {
    Add("get " + item.url + ">" + path);
  }
  std::string FileMd5(FileItem& item) override {
    Add("md5 " + item.fileName);
    if (digests.empty()) return item.md5;
    std::string digest = digests.front();
    digests.pop_front();
    return digest;
  }
  uint32_t StartSideDownload(const FileItem& item, const std::string& path) override {
    if (!sideTransfers) return 0;
    Add("side " + item.url + ">" + path);
    return sideTickets[item.fileName] = nextTicket++;
  }
  void StopDownloads() override {
    if (sideTransfers) Add("stop-downloads");
  }
  std::string DeleteLocalFile(const std::string& path) override { return Add("delete " + path), deleteError; }
  bool StartInstallWorker() override { return Add("worker"), workerStarts; }
  bool StartPlan() override { return Add("plan"), planPending = true; }
  bool StartVersionRead() override { return Add("read-versions"), true; }
  bool WarnBeforeStart() override { return !warning.empty() && (Add(warning), true); }
  void LaunchGamePatcher() override { Add("patcher"); }
  void ShowProgressView() override { Add("progress-view"); }
  // The plan's work, done when the test says it has ended.
  int32_t Plan() {
    planPending = false;
    list = FileList{};
    if (steps.empty()) return 0;
    for (const Listed& file : steps.front().files) {
      list.items.push_back(std::make_unique<FileItem>(FileItem{"u/" + file.name, file.name, file.md5}));
      list.items.back()->size = file.size;
    }
    state.targetVersion = steps.front().version;
    steps.pop_front();
    return state.targetVersion;
  }
  void ShowError(const std::string& text, const std::string& caption) override {
    Add(text + " | " + caption);
  }
  void ReturnToIdle() override { Add("return-to-idle"); }
  void RefreshFolderTexts() override { Add("idle-view"); }
  double NowSeconds() override { return now; }
  void Add(std::string call) { calls.push_back(std::move(call)); }
  Calls Take() { return std::exchange(calls, {}); }
};

class ControllerTest : public ::testing::Test {
 protected:
  // The releases as the version manifest and "version.dat" give them.
  void Versions(int32_t installed, int32_t latest, int32_t minimal = 100) {
    env.state.installedVersion = installed;
    env.state.latestVersion = latest;
    env.state.minimalVersion = minimal;
  }
  // A press that plans the first step and starts the run.
  void Start(std::deque<Step> steps) {
    (void)TakeCapturedLog();
    env.steps = std::move(steps);
    controller.OnStartPressed(false);
    ASSERT_TRUE(env.planPending);
    EndPlan();
  }
  void EndPlan() { controller.OnPlanDone(env.Plan()); }
  void Installed(const std::string& setupName) {
    controller.OnInstallResult(true, setupName);
    if (env.planPending) EndPlan();
  }
  // One transfer as the download thread reports it, ending with the file complete on disk.
  void Transfer(const std::string& name, uint64_t size) {
    controller.OnDownloadStatus(MDS_STATUS_PREPARING, name);
    controller.OnDownloadStatus(MDS_STATUS_DOWNLOADING, name);
    controller.OnDownloadProgress(0, size);
    env.now += 2.0;
    controller.OnDownloadProgress(size, size);
    controller.OnDownloadStatus(MDS_STATUS_DONE, name);
  }

  FakeEnv env;
  InstallController controller{env.state, env.list, env, env};
};

TEST(ProgressTexts, RateScalesOnlyAboveOneAndRemainingTurnsToMinutesAtTwo) {
  EXPECT_EQ(TransferRateText("a", 1024), "Đang tải..a [Tốc độ: 1024.00Byte/s]");
  EXPECT_EQ(TransferRateText("a", 1048577), "Đang tải..a [Tốc độ: 1.00Mb/s]");
  EXPECT_EQ(TransferRateText("a", 5.0 * (1ull << 40)), "Đang tải..a [Tốc độ: 5120.00Gb/s]");
  EXPECT_EQ(RemainingTimeText(119), "Còn lại: 119s");
  EXPECT_EQ(RemainingTimeText(120), "Còn lại: 2 phút");
  EXPECT_EQ(RemainingTimeText(179), "Còn lại: 2 phút");
}

TEST_F(ControllerTest, FullInstallThenPatchChainRuns) {
  // Nothing installed: one full step; version.dat then says 120 and nothing is left.
  Versions(0, 120);
  Start({{120, {{"data.pak", 3000, "ABCDEF"}, {"setup.exe", 1000, ""}}}});
  Transfer("data.pak", 3000);
  EXPECT_EQ(env.state.workflowState, STATE_UPDATING);
  EXPECT_EQ(env.percentText, "0.0%");  // the next file starts from an empty bar
  Transfer("setup.exe", 1000);         // an empty md5 is accepted unhashed
  EXPECT_EQ(env.status, "Đang cài đặt...");
  EXPECT_EQ(env.state.workflowState, STATE_INSTALLING);
  EXPECT_EQ(env.list.items[0]->downloadedBytes, 3000u);
  env.state.installedVersion = 120;  // as the worker read it
  Installed("setup.exe");
  EXPECT_EQ(env.Take(),
            (Calls{"plan", "progress-view", "get u/data.pak>dl/data.pak", "md5 data.pak",
                   "get u/setup.exe>dl/setup.exe", "worker", "plan", "return-to-idle", "idle-view"}));
  EXPECT_EQ(env.state.workflowState, STATE_IDLE);

  // 118 installed: the patches of 119 and 120 one after the other.
  Versions(118, 120);
  Start({{119, {{"p119.exe", 10, ""}}}, {120, {{"p120.exe", 20, ""}}}});
  Transfer("p119.exe", 10);
  Installed("p119.exe");
  EXPECT_EQ(env.state.targetVersion, 120);
  Transfer("p120.exe", 20);
  Installed("p120.exe");
  EXPECT_EQ(env.Take(),
            (Calls{"plan", "progress-view", "get u/p119.exe>dl/p119.exe", "worker", "plan",
                   "get u/p120.exe>dl/p120.exe", "worker", "plan", "return-to-idle", "idle-view"}));
}

TEST_F(ControllerTest, ProgressCountsTheWholeStepAtTheSpeedOfTheLastSeconds) {
  Start({{1, {{"a", 4000, ""}, {"b", 0, ""}, {"c", 6000, ""}}}});
  EXPECT_EQ(env.pause, PauseControl::Pause);
  controller.OnDownloadProgress(1000, 4000);
  EXPECT_EQ(env.status, "");     // no speed before a second of transfer
  EXPECT_EQ(env.remaining, "");  // nor a time left
  EXPECT_EQ(env.totalDone, 1000u);
  EXPECT_EQ(env.totalSize, 10000u);
  env.now += 2.0;
  controller.OnDownloadProgress(3000, 4000);
  EXPECT_EQ(env.status, "Đang tải..a [Tốc độ: 1000.00Byte/s]");
  EXPECT_EQ(env.remaining, "Còn lại: 7s");  // 7000 of 10000 left
  EXPECT_EQ(env.percentText, "75.0%");
  controller.OnDownloadProgress(4000, 4000);
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  // "b" has no listed size: its answer's length counts once known.
  env.now += 2.0;
  controller.OnDownloadProgress(500, 2000);
  EXPECT_EQ(env.totalSize, 12000u);
  EXPECT_EQ(env.totalDone, 4800u);  // 4500 bytes, but the bar keeps the 40 % it showed
  // A file fetched again does not move the bar back, and the speed starts over.
  controller.OnDownloadProgress(2000, 2000);
  controller.OnDownloadStatus(MDS_STATUS_DONE, "b");
  controller.OnDownloadProgress(7000, 6000);  // more than listed: never past the total
  EXPECT_EQ(env.totalDone, 12000u);
  EXPECT_EQ(env.list.totalBytes, 12000u);
  // Over five seconds old, a burst is forgotten: the speed is the last five seconds' average.
  env.now += 10.0;
  controller.OnDownloadProgress(7000, 6000);
  env.now += 5.0;
  controller.OnDownloadProgress(7000, 6000);
  EXPECT_EQ(env.status, "Đang tải..c [Tốc độ: 0.00Byte/s]");
  EXPECT_EQ(env.remaining, "");
  // Once the bytes are in, a check that is still catching up shows its own progress.
  controller.OnCheckProgress(3000, 6000);
  EXPECT_EQ(env.status, "Md5Verify c");
  EXPECT_EQ(env.percentText, "50.0%");
}

TEST_F(ControllerTest, BytesFoundOnDiskAreDoneFromTheStartAndNeverSpeed) {
  env.onDisk["b"] = 3000;  // resumed
  Start({{1, {{"a", 4000, ""}, {"b", 4000, ""}}}});
  controller.OnDownloadProgress(2000, 4000);
  EXPECT_EQ(env.totalDone, 5000u);
  env.now += 2.0;
  controller.OnDownloadProgress(4000, 4000);
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  env.now += 0.5;
  controller.OnDownloadProgress(3500, 4000);
  EXPECT_EQ(env.status, "Đang tải..b [Tốc độ: 1000.00Byte/s]");  // 2500 new bytes in 2.5 s
  EXPECT_EQ(env.remaining, "Còn lại: 0s");
}

TEST_F(ControllerTest, PauseStopsTheTransfersAndGoesOnFromDisk) {
  env.sideTransfers = true;
  Versions(118, 120);
  Start({{119, {{"a", 100, ""}, {"b", 100, ""}, {"c", 100, ""}, {"p.exe", 100, ""}}}});
  const uint32_t cTicket = env.sideTickets["c"];
  controller.OnSideDownloadDone(cTicket, true, "", "");  // "c" is whole before the pause
  env.Take();
  controller.OnPausePressed();
  EXPECT_TRUE(controller.Paused());
  EXPECT_EQ(env.pause, PauseControl::Resume);
  EXPECT_EQ(env.state.workflowState, STATE_IDLE);  // a close asks nothing
  EXPECT_EQ(env.status, kPausedText);
  // What the stopped transfers still had on the way changes nothing.
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  controller.OnDownloadProgress(50, 100);
  controller.OnSideDownloadDone(env.sideTickets["b"], true, "", "");
  EXPECT_EQ(env.Take(), (Calls{"stop-downloads"}));
  EXPECT_EQ(env.list.currentIndex, 0);

  controller.OnPausePressed();
  EXPECT_EQ(env.pause, PauseControl::Pause);
  EXPECT_EQ(env.state.workflowState, STATE_UPDATING);
  // The current file and "b" start again; the whole "c" is not fetched again.
  EXPECT_EQ(env.Take(), (Calls{"get u/a>dl/a", "side u/b>dl/b", "side u/p.exe>dl/p.exe"}));
  Transfer("a", 100);
  controller.OnSideDownloadDone(env.sideTickets["b"], true, "", "");
  controller.OnSideDownloadDone(env.sideTickets["p.exe"], true, "", "");
  EXPECT_EQ(env.pause, PauseControl::Unavailable);  // the setup program runs: nothing to pause
  controller.OnPausePressed();
  EXPECT_FALSE(controller.Paused());
  EXPECT_EQ(env.state.workflowState, STATE_INSTALLING);
}

TEST_F(ControllerTest, StepThatDoesNotFitIsRefusedBeforeItsFirstByte) {
  Versions(118, 120);
  env.downloadDrive = {"D:\\", 1500};
  env.installDrive = {"C:\\", 10'000};
  env.onDisk["a"] = 600;  // resumed, so only its rest is needed
  Start({{119, {{"a", 1000, ""}, {"p.exe", 1000, ""}}}});
  EXPECT_EQ(env.Take(), (Calls{"plan", "progress-view", "get u/a>dl/a"}));
  Transfer("a", 1000);
  Transfer("p.exe", 1000);
  // The next step needs 3000 bytes on D: with 1500 free: it ends before a request.
  env.steps.push_back({120, {{"p2.exe", 3000, ""}}});
  env.Take();
  Installed("p.exe");
  const Calls calls = env.Take();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[1],
            "Ổ đĩa D:\\ không đủ dung lượng để tải và cài đặt bản cập nhật: cần 3 KB, chỉ còn trống 2 KB. "
            "Vui lòng giải phóng ổ đĩa rồi thử lại! | Thông báo!");
  EXPECT_EQ(env.state.targetVersion, 118);
}

TEST_F(ControllerTest, FinishedFileIsTheCurrentItemWhateverItsName) {
  Start({{1, {{"a.pak", 1, "AA"}, {"b.exe", 1, ""}}}});
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a.pak?v=2");  // the request's name, query and all
  controller.OnDownloadStatus(1019, "b.exe");                 // other codes are ignored
  controller.OnDownloadStatus(MDS_STATUS_DONE, "");
  EXPECT_EQ(env.Take(), (Calls{"plan", "progress-view", "get u/a.pak>dl/a.pak", "md5 a.pak",
                               "get u/b.exe>dl/b.exe", "worker"}));
  EXPECT_EQ(env.state.workflowState, STATE_INSTALLING);
}

TEST_F(ControllerTest, BadFileIsFetchedAgainOnceThenTheRunStops) {
  Versions(6, 8);
  Start({{7, {{"a", 100, "GOOD"}, {"b", 100, "fine"}}}});
  env.digests = {"bad", "good", "", "worse"};
  controller.OnDownloadProgress(60, 100);
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  EXPECT_EQ(env.list.items[0]->downloadedBytes, 0u);  // counts start over with the file
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");  // the fresh copy passes, ignoring case
  controller.OnDownloadStatus(MDS_STATUS_DONE, "b");  // unreadable, then wrong: no third download
  controller.OnDownloadStatus(MDS_STATUS_DONE, "b");
  EXPECT_EQ(env.Take(),
            (Calls{"plan", "progress-view", "get u/a>dl/a", "md5 a", "delete dl/a", "get u/a>dl/a", "md5 a",
                   "get u/b>dl/b", "md5 b", "delete dl/b", "get u/b>dl/b", "md5 b", "delete dl/b",
                   "Lỗi: Tệp tin b tải về bị hỏng (sai mã MD5) dù đã tải lại. Vui lòng thử lại sau! "
                   "| Thông báo",
                   "return-to-idle", "idle-view"}));
  EXPECT_EQ(env.state.targetVersion, 6);
  EXPECT_EQ(
      TakeCapturedLog().back(),
      (CapturedLogEntry{
          "StormlineHelper", 0,
          "MD5 check failed again after a fresh download, run stopped: b expected fine got worse", true}));
}

TEST_F(ControllerTest, BadFileThatCannotBeDeletedStopsTheRun) {
  Start({{7, {{"a", 100, "GOOD"}}}});
  env.digests = {"bad"};
  env.deleteError = "Access is denied.";
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  EXPECT_EQ(env.Take(),
            (Calls{"plan", "progress-view", "get u/a>dl/a", "md5 a", "delete dl/a",
                   "Lỗi: Tệp tin a bị hỏng (sai mã MD5) nhưng không xóa được: Access is denied. | Thông báo",
                   "return-to-idle", "idle-view"}));
  (void)TakeCapturedLog();
}

// However a run fails, the next plan starts from the installed release: a target left at the
// failed patch would install the one after it over a missing one.
TEST_F(ControllerTest, EveryFailedEndingPlansAgainFromTheInstalledRelease) {
  Versions(118, 122);
  Start({{119, {{"p119.exe", 10, ""}}}, {120, {{"p120.exe", 20, ""}}}});
  Transfer("p119.exe", 10);
  env.state.installedVersion = 119;
  Installed("p119.exe");
  controller.OnDownloadStatus(MDS_STATUS_DOWNLOADING, "p120.exe");
  controller.OnDownloadStatus(MDS_STATUS_FAILED, "timeout");
  EXPECT_EQ(env.state.targetVersion, 119);
  EXPECT_EQ(env.state.workflowState, STATE_IDLE);
  env.Take();

  const std::function<void()> failures[] = {
      [&] { controller.OnDownloadStatus(MDS_STATUS_FAILED, "timeout"); },
      [&] { controller.OnInstallResult(false, ""); },  // no setup program in the list
      [&] {
        env.workerStarts = false;
        Transfer("p120.exe", 20);
      },
  };
  for (const auto& fail : failures) {
    Start({{120, {{"p120.exe", 20, ""}}}});
    fail();
    EXPECT_EQ(env.state.targetVersion, 119);
    EXPECT_EQ(env.state.workflowState, STATE_IDLE);
    const Calls calls = env.Take();
    EXPECT_EQ(Calls(calls.end() - 2, calls.end()), (Calls{"return-to-idle", "idle-view"}));
  }
}

// A press waits for what it needs off the window; every way it ends before a run gives the start
// button back, and a second press meanwhile is not a second run.
TEST_F(ControllerTest, PressReadsVersionsWarnsPlansAndHandsOver) {
  const std::string planFailed =
      "Không lấy danh sách tệp tin cần tải. Kiểm tra lại mạng và thử lại! | Thông báo!";
  controller.OnStartPressed(true);
  controller.OnStartPressed(true);
  EXPECT_TRUE(controller.Busy());
  controller.OnVersionsRead();  // still unknown
  EXPECT_EQ(env.Take(), (Calls{"read-versions", planFailed, "return-to-idle"}));

  Versions(0, 120);
  env.warning = "not enough space";
  controller.OnStartPressed(false);
  EXPECT_EQ(env.Take(), (Calls{"not enough space", "return-to-idle"}));
  env.warning.clear();

  controller.OnStartPressed(false);
  controller.OnRetryWait(3, FailureKind::ServerBusy);  // a list waits: the progress view counts down
  EXPECT_EQ(env.status, "Máy chủ đang bận, tự động thử lại sau 3 giây...");
  EXPECT_EQ(env.state.workflowState, STATE_UPDATING) << "a close now asks first";
  controller.OnPlanDone(kPlanListFailed);
  EXPECT_EQ(env.Take(), (Calls{"plan", "progress-view", planFailed, "return-to-idle"}));
  EXPECT_EQ(env.state.workflowState, STATE_IDLE);

  controller.OnStartPressed(false);
  EXPECT_EQ(env.state.workflowState, STATE_UPDATING) << "a close asks from the press on";
  controller.OnPlanDone(kPlanNothingToDo);
  EXPECT_EQ(env.Take(), (Calls{"plan", "return-to-idle", "patcher", "idle-view"}));
  EXPECT_FALSE(controller.Busy());
  controller.OnPlanDone(5);  // a stray result is no run
  controller.OnRetryWait(3, FailureKind::NoConnection);
  EXPECT_TRUE(env.Take().empty());
}

// While the close question is up, nothing new begins; what would have begun goes on after a No.
TEST_F(ControllerTest, NoStepBeginsWhileTheCloseQuestionIsUp) {
  Start({{120, {{"setup.exe", 10, ""}}}, {121, {{"p121.exe", 10, ""}}}});
  env.Take();
  controller.HoldSteps(true);
  Transfer("setup.exe", 10);  // the last file of the step: its setup program waits
  controller.HoldSteps(false);
  EXPECT_EQ(env.Take(), (Calls{"worker"}));
  controller.HoldSteps(true);
  controller.OnInstallResult(true, "setup.exe");
  EXPECT_TRUE(env.Take().empty()) << "no plan of the next step";
  controller.HoldSteps(false);
  EndPlan();
  EXPECT_EQ(env.Take(), (Calls{"plan", "get u/p121.exe>dl/p121.exe"}));
}

// Small files go four at a time: the current one and three beside it, taken in list order and
// each checked when the run gets to it, before the setup program starts.
TEST_F(ControllerTest, SmallFilesGoFourAtATimeAndAreCheckedInListOrder) {
  env.sideTransfers = true;
  Start(
      {{120,
        {{"a", 10, "A"}, {"b", 10, "B"}, {"c", 10, ""}, {"d", 10, "D"}, {"e", 10, "E"}, {"s.exe", 10, ""}}}});
  EXPECT_EQ(env.Take(), (Calls{"plan", "progress-view", "get u/a>dl/a", "side u/b>dl/b", "side u/c>dl/c",
                               "side u/d>dl/d"}));
  controller.OnSideDownloadDone(env.sideTickets["c"], true, "", "");
  EXPECT_EQ(env.Take(), Calls{"side u/e>dl/e"});  // the room it left
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  EXPECT_EQ(env.status, "Đang tải... b");  // the current file is the one beside it: waited for
  EXPECT_EQ(env.Take(), (Calls{"md5 a", "side u/s.exe>dl/s.exe"}));
  controller.OnSideDownloadDone(env.sideTickets["d"], true, "d", "");  // lower case passes
  controller.OnSideDownloadDone(env.sideTickets["b"], true, "B", "");  // b, then c and d at once
  EXPECT_EQ(env.list.currentIndex, 4);
  controller.OnSideDownloadDone(env.sideTickets["s.exe"], true, "", "");
  EXPECT_TRUE(env.Take().empty()) << "the setup program waits for e";
  controller.OnSideDownloadDone(env.sideTickets["e"], true, "E", "");
  EXPECT_EQ(env.Take(), Calls{"worker"});
  EXPECT_EQ(env.list.items[1]->downloadedBytes, 10u);
}

// A side file whose digest is wrong is fetched again once as the current file, as any other; a
// side transfer that failed ends the run as a failed current file does, and stops the others.
TEST_F(ControllerTest, BadOrFailedSideTransfers) {
  env.sideTransfers = true;
  Start({{120, {{"a", 10, "A"}, {"b", 10, "B"}, {"c", 10, "C"}}}});
  env.Take();
  controller.OnSideDownloadDone(env.sideTickets["b"], true, "wrong", "");
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  EXPECT_EQ(env.Take(), (Calls{"md5 a", "delete dl/b", "get u/b>dl/b"}));
  env.digests = {"wrong again"};
  controller.OnDownloadStatus(MDS_STATUS_DONE, "b");
  EXPECT_EQ(env.Take(),
            (Calls{"md5 b", "delete dl/b", "stop-downloads",
                   "Lỗi: Tệp tin b tải về bị hỏng (sai mã MD5) dù đã tải lại. Vui lòng thử lại sau! "
                   "| Thông báo",
                   "stop-downloads", "return-to-idle", "idle-view"}));
  controller.OnSideDownloadDone(env.sideTickets["c"], true, "C", "");  // after the end: nothing
  controller.OnDownloadStatus(MDS_STATUS_DONE, "b");
  EXPECT_TRUE(env.Take().empty());

  Start({{120, {{"a", 10, ""}, {"b", 10, ""}, {"c", 10, ""}}}});
  env.Take();
  controller.OnSideDownloadDone(env.sideTickets["c"], false, "", "gone");
  EXPECT_EQ(env.Take(), (Calls{"stop-downloads", "Lỗi: gone | Thông báo", "stop-downloads", "return-to-idle",
                               "idle-view"}));
  EXPECT_EQ(env.state.workflowState, STATE_IDLE);
  (void)TakeCapturedLog();
}

// A large file goes alone, before and after small ones; unnamed and unsized items are not taken.
TEST_F(ControllerTest, LargeFilesGoAlone) {
  env.sideTransfers = true;
  Start({{120,
          {{"big", 2 << 20, ""},
           {"a", 10, ""},
           {"b", 10, ""},
           {"huge", 1 << 20, ""},
           {"", 10, ""},
           {"n", 0, ""}}}});
  EXPECT_EQ(env.Take(), (Calls{"plan", "progress-view", "get u/big>dl/big"}));
  controller.OnDownloadStatus(MDS_STATUS_DONE, "big");
  EXPECT_EQ(env.Take(), (Calls{"get u/a>dl/a", "side u/b>dl/b"}));
  controller.OnDownloadStatus(MDS_STATUS_DONE, "a");
  controller.OnSideDownloadDone(env.sideTickets["b"], true, "", "");
  EXPECT_EQ(env.Take(), Calls{"get u/huge>dl/huge"});
}

}  // namespace
}  // namespace sl
