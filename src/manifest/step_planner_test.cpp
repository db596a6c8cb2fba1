#include "manifest/step_planner.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <stdexcept>

#include "diag/log.h"

namespace sl {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// Server and disk in memory. Release lists are recorded by name ("Full_105") once the rest of their
// URL is checked; each existing one names one file, "<name>.pak". Unknown URLs are answered 404.
struct FakeEnv : PlannerEnv {
  std::set<std::string> lists;
  std::map<std::string, std::string> bodies;  // other answers, by whole URL
  std::map<std::string, uint32_t> failures;   // by name: an HTTP status, or 0 for no connection
  std::map<std::string, int> failuresLeft;    // by name: how often the failure comes before the list
  std::map<std::string, uint64_t> folderSizes;
  std::vector<std::string> fetched, created, debugText;
  uint64_t now = 0;
  int nowCalls = 0;

  uint64_t SteadyMs() override { return now; }
  double Jitter() override { return 0.0; }
  bool WaitToRetry(uint64_t delayMs, FailureKind) override { return now += delayMs, true; }

  FetchedText FetchText(const std::string& url) override {
    const std::string prefix = "http://d/patch/SL_", suffix = ".ini?t=20241231235959999";
    const bool isList = url.starts_with(prefix) && url.ends_with(suffix);
    if (fetched.size() == 1000) throw std::runtime_error("runaway search");  // fail, don't fill memory
    const std::string& name = fetched.emplace_back(
        isList ? url.substr(prefix.size(), url.size() - prefix.size() - suffix.size()) : url);
    if (failures.count(name) && (!failuresLeft.count(name) || failuresLeft[name]-- > 0)) {
      const uint32_t status = failures[name];
      return {std::nullopt, status == 0 ? 12007u : 0u,
              status,       status == 0 ? FailureKind::NoConnection : KindOfStatus(status),
              std::nullopt, {}};
    }
    FetchedText answer;
    if (lists.count(name)) answer.body = "http://d/files/" + name + ".pak,,1\r\n";
    if (bodies.count(url)) answer.body = bodies[url];
    if (answer.body) return answer;
    return {std::nullopt, 0, 404, FailureKind::Refused, std::nullopt, {}};
  }
  uint64_t FolderSize(const std::string& folder) override { return folderSizes[folder]; }
  void CreateFolderTree(const std::string& folder) override { created.push_back(folder); }
  UtcTime NowUtc() override { return ++nowCalls, UtcTime{2024, 12, 31, 23, 59, 59, 999}; }
  void DebugOutput(const std::string& text) override { debugText.push_back(text); }
  std::string BaseUrl() override { return "http://d"; }
};

InstallState State(int32_t installed, int32_t latest, int32_t minimal, int32_t target) {
  InstallState state;
  state.installDir = "C:\\SL";
  std::tie(state.installedVersion, state.latestVersion, state.minimalVersion, state.targetVersion) =
      std::tie(installed, latest, minimal, target);
  return state;
}

TEST(PlanNextStep, FetchesListsInOrderAndSetsTheTarget) {
  struct Case {
    int32_t installed, latest, minimal, target;
    std::set<std::string> onServer;
    int32_t result, targetAfter;
    std::vector<std::string> fetched;
  };
  const Case cases[] = {
      {0, 105, 100, 0, {"Full_103"}, 103, 103, {"Full_105", "Full_104", "Full_103"}},
      {103, 105, 100, 103, {"Patch_104"}, 104, 104, {"Patch_104"}},         // after that full install
      {98, 105, 100, 0, {"Full_105", "Patch_99"}, 105, 105, {"Full_105"}},  // below minimal
      {103, 105, 100, 0, {}, kPlanNothingToDo, 103, {"Patch_104", "Patch_105"}},
      {103, 105, 100, 0, {"Patch_105"}, 105, 105, {"Patch_104", "Patch_105"}},  // 104 was never published
      {INT32_MAX - 1, INT32_MAX, 0, 0, {}, kPlanNothingToDo, INT32_MAX - 1, {"Patch_2147483647"}},
      {0, 3, 0, 0, {}, kPlanNoFullList, 0, {"Full_3", "Full_2", "Full_1"}},  // versions start at 1
      {0, 0, 0, 0, {}, kPlanNothingToDo, 0, {}},                             // latest == target first
      {3, 105, 100, 105, {}, kPlanNothingToDo, 105, {}},
      {0, 0, 0, 5, {}, kPlanNoLatestVersion, 5, {}},
      {105, 105, 100, 0, {}, kPlanNothingToDo, 0, {}},
      {0, -5, 0, 0, {}, kPlanNoFullList, 0, {}},
      {-9, -7, 0, 0, {}, kPlanNoFullList, 0, {}},
      {5, 100, 0, INT32_MAX, {}, kPlanNothingToDo, INT32_MAX, {}},  // target + 1 must not overflow
  };
  for (const Case& c : cases) {
    FakeEnv env;
    env.lists = c.onServer;
    InstallState state = State(c.installed, c.latest, c.minimal, c.target);
    FileList list;
    SCOPED_TRACE(testing::Message() << c.installed << " " << c.latest << " " << c.minimal << " " << c.target);
    EXPECT_EQ(PlanNextStep(state, env, list), c.result);
    EXPECT_EQ(state.targetVersion, c.targetAfter);
    EXPECT_EQ(env.fetched, c.fetched);
    ASSERT_EQ(list.items.size(), c.result > 0 ? 1u : 0u);
    if (c.result > 0) {
      EXPECT_EQ(list.items[0]->fileName, c.fetched.back() + ".pak");
    }
  }
  (void)TakeCapturedLog();
}

TEST(PlanNextStep, PatchSearchGivesUpAfterSixtyFourMissingLists) {
  FakeEnv env;
  env.lists = {"Patch_184", "Patch_185"};
  InstallState state = State(120, 2'000'000'000, 100, 0);
  FileList list;
  EXPECT_EQ(PlanNextStep(state, env, list), 184);  // the 64th after 120
  state = State(120, 2'000'000'000, 100, 0);
  env.lists = {"Patch_185"};
  env.fetched.clear();
  EXPECT_EQ(PlanNextStep(state, env, list), kPlanNothingToDo);
  EXPECT_EQ(env.fetched.size(), 64u);
  EXPECT_EQ(env.fetched.back(), "Patch_184");
  EXPECT_EQ(TakeCapturedLog().back().message,
            "Patch search stopped: no patch list from 121 to 184, latest version 2000000000");
}

TEST(PlanNextStep, FullSearchTriesTenListsWithOneStamp) {
  FakeEnv env;
  InstallState state = State(0, 105, 0, 0);
  FileList list;
  env.nowCalls = 0;
  EXPECT_EQ(PlanNextStep(state, env, list), kPlanNoFullList);
  ASSERT_EQ(env.fetched.size(), 10u);
  EXPECT_EQ(env.fetched.back(), "Full_96");
  EXPECT_EQ(env.nowCalls, 1);
  (void)TakeCapturedLog();
}

// Only a list the server says it does not have (404, 410) is passed over: planning past one that
// exists but failed would install the next release over a missing one. Transient failures are
// waited out first, for up to ten minutes.
TEST(PlanNextStep, ListThatFailsStopsThePlan) {
  const std::string list104 = PatchListUrl("http://d", 104, UtcTime{2024, 12, 31, 23, 59, 59, 999});
  const std::pair<std::function<void(FakeEnv&)>, size_t> spoilers[] = {
      {[&](FakeEnv& env) { env.bodies[list104] = "http://d/files/NUL.pak,,1\n"; }, 1},  // refused
      {[&](FakeEnv& env) { env.bodies[list104] = ",\r\n"; }, 1},                        // no items
      {[](FakeEnv& env) { env.failures["Patch_104"] = 403; }, 1},
      {[](FakeEnv& env) { env.failures["Patch_104"] = 401; }, 1},
      {[](FakeEnv& env) { env.failures["Patch_104"] = 0; }, 16},  // no connection, ten minutes long
      {[](FakeEnv& env) { env.failures["Patch_104"] = 429; }, 16},
  };
  for (const auto& [spoil, tries] : spoilers) {
    FakeEnv patchEnv;
    patchEnv.lists = {"Patch_105"};
    spoil(patchEnv);
    InstallState state = State(103, 105, 100, 0);
    FileList list;
    EXPECT_EQ(PlanNextStep(state, patchEnv, list), kPlanListFailed);
    EXPECT_EQ(patchEnv.fetched, std::vector<std::string>(tries, "Patch_104"));
    EXPECT_EQ(state.targetVersion, 103);
    EXPECT_TRUE(list.items.empty());
    if (tries > 1) {
      EXPECT_EQ(patchEnv.now, kRetryBudgetMs);
    }
  }
  FakeEnv fullEnv;
  fullEnv.bodies[FullListUrl("http://d", 104, fullEnv.NowUtc())] = "http://d/files/NUL.pak,,1\n";
  fullEnv.lists = {"Full_103"};
  InstallState state = State(0, 105, 0, 0);
  FileList list;
  EXPECT_EQ(PlanNextStep(state, fullEnv, list), kPlanListFailed);
  EXPECT_EQ(fullEnv.fetched, (std::vector<std::string>{"Full_105", "Full_104"}));
  (void)TakeCapturedLog();
}

TEST(PlanNextStep, ListThatIsBusyForAWhileIsAppliedNotSkipped) {
  for (const uint32_t status : {429u, 503u, 0u}) {
    FakeEnv env;
    env.lists = {"Patch_104", "Patch_105"};
    env.failures["Patch_104"] = status;
    env.failuresLeft["Patch_104"] = 2;
    InstallState state = State(103, 105, 100, 0);
    FileList list;
    EXPECT_EQ(PlanNextStep(state, env, list), 104) << status;
    EXPECT_EQ(env.fetched, std::vector<std::string>(3, "Patch_104"));
  }
  // Gone for good (410) is a missing list, like 404.
  FakeEnv env;
  env.lists = {"Patch_105"};
  env.failures["Patch_104"] = 410;
  InstallState state = State(103, 105, 100, 0);
  FileList list;
  EXPECT_EQ(PlanNextStep(state, env, list), 105);
  (void)TakeCapturedLog();
}

TEST(PlanNextStep, PatchWithBackupOverTheLimitIsSkippedUnfetched) {
  for (const auto& [backupBytes, expected] : {std::pair{200 * kMiB, 105}, {kMaxPatchBackupBytes, 104}}) {
    FakeEnv env;
    env.lists = {"Patch_104", "Patch_105"};
    env.folderSizes["C:\\SL\\backup\\104"] = backupBytes;
    InstallState state = State(103, 105, 100, 0);
    FileList list;
    EXPECT_EQ(PlanNextStep(state, env, list), expected);
    EXPECT_EQ(env.fetched.back(), "Patch_" + std::to_string(expected));
    EXPECT_EQ(env.fetched.size(), 1u);
    EXPECT_EQ(env.created.back(), "C:\\SL\\backup\\" + std::to_string(expected));
    EXPECT_EQ(env.debugText, std::vector<std::string>{DescribeSize(backupBytes)});  // not for empty ones
  }
  (void)TakeCapturedLog();
}

TEST(FetchFileList, LogsEachStepAndLeavesTheListEmptyOnFailure) {
  const auto line = [](std::string message) {
    return CapturedLogEntry{"StormlineHelper ", 0, message, true};
  };
  const std::string url = "http://d/l.ini";
  FakeEnv env;
  FileList list;
  list.doneBytes = 5;
  env.bodies[url] = "http://d/a.pak,,1\nhttp://d/b.pak,,2\n";
  EXPECT_EQ(FetchFileList(env, url, list), ListFetch::Loaded);
  EXPECT_EQ(list.items.size(), 2u);
  EXPECT_EQ(list.doneBytes, 5u);
  EXPECT_EQ(TakeCapturedLog(), (std::vector{line("Start get " + url),
                                            line("GetTextFromUrlW " + url + " , " + env.bodies[url])}));

  const std::tuple<std::optional<std::string>, std::string, ListFetch> failures[] = {
      {std::nullopt, ">GetTextFromUrlW " + url + " - 0 ", ListFetch::Missing},
      {"", ">GetTextFromUrlW " + url + " txtOuput.empty()", ListFetch::Failed},
  };
  for (const auto& [body, logged, result] : failures) {
    env.bodies.erase(url);
    if (body) env.bodies[url] = *body;
    EXPECT_EQ(FetchFileList(env, url, list), result);
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(TakeCapturedLog(), (std::vector{line("Start get " + url), line(logged)}));
  }

  env.bodies[url] = "ftp://d/a.pak" + std::string(kMaxLoggedListBytes, ',');
  EXPECT_EQ(FetchFileList(env, url, list), ListFetch::Failed);
  const std::vector<CapturedLogEntry> log = TakeCapturedLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], line("GetTextFromUrlW " + url + " , " + env.bodies[url].substr(0, kMaxLoggedListBytes) +
                         " [" + std::to_string(env.bodies[url].size()) + " bytes, only the start logged]"));
  EXPECT_EQ(log[2],
            line("File list refused, line 1: URL is not http or https: " + env.bodies[url].substr(0, 300)));
}

TEST(DescribeSize, UsesTheLargestFittingBinaryUnit) {
  const std::pair<uint64_t, const char*> cases[] = {
      {1, "1 bytes"},       {1023, "1023 bytes"},    {1024, "1.00 KB"},       {1048575, "1024.00 KB"},
      {1048576, "1.00 MB"}, {1073741824, "1.00 GB"}, {5ull << 30, "5.00 GB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DescribeSize(bytes), text) << bytes;
}

}  // namespace
}  // namespace sl
