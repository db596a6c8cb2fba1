// The HTTP client against real servers on loopback: nginx and the fault-injecting server.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <regex>
#include <sstream>
#include <thread>

#include "base/md5.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "base/window_messages.h"
#include "net/download_messages.h"
#include "net/http_helper_win.h"
#include "net/http_rules.h"
#include "net/transfer_rules.h"
#include "tests/support/download_probe_win.h"
#include "tests/support/log_test_support_win.h"
#include "tests/support/test_servers_win.h"
#include "tests/support/tracking_test_support_win.h"

namespace {

// Refuses the next allocation of this many bytes (0: none), as a machine short of memory would.
std::atomic<size_t> g_refusedAllocation{0};

}  // namespace

void* operator new(size_t size) {
  size_t refused = size;
  if (size != 0 && g_refusedAllocation.compare_exchange_strong(refused, 0)) throw std::bad_alloc();
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}

// Not inlined: GCC would then see free() meet memory from operator new and warn of a mismatch.
__attribute__((noinline)) void operator delete(void* memory) noexcept { std::free(memory); }

__attribute__((noinline)) void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace sl {
namespace {

using test::DownloadProbe;
using test::PatternBytes;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr char kConnectionText[] = "Lỗi kết nối đến máy chủ, xin vui lòng kiểm tra lại đường truyền mạng!";
constexpr char kFileInUseText[] = "Tệp tin đăng bị sử dụng. Vui lòng tắt chương trình thử lại sau!";

test::TestServers g_servers;

std::wstring ScratchPath(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp, length) + L"sl-net-test";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + name;
  ::DeleteFileW(path.c_str());
  ::DeleteFileW((path + L".sl-resume").c_str());  // an earlier run's record of the file
  return path;
}

// Bytes nginx sent for requests of `uri` since the log was at `offset`, and the Range headers.
struct NginxTraffic {
  uint64_t bytes = 0;
  std::vector<std::string> ranges;
};

NginxTraffic NginxTrafficFor(const std::string& uri, size_t offset) {
  NginxTraffic traffic;
  const std::string log = ReadFileBytes(g_servers.AccessLogPath()).substr(offset);
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    std::string field;
    while (std::getline(parts, field, '|')) fields.push_back(field);
    if (fields.size() == 4 && fields[0] == uri) {
      traffic.bytes += std::stoull(fields[3]);
      traffic.ranges.push_back(fields[2]);
    }
  }
  return traffic;
}

size_t AccessLogSize() { return ReadFileBytes(g_servers.AccessLogPath()).size(); }

std::string Md5Of(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.FinishHex();
}

// The fault server's answers for paths ending in `name`: {Range, If-Range, status, bytes sent}.
struct FaultAnswer {
  std::string range, ifRange;
  int status = 0;
  uint64_t sent = 0;
};
std::vector<FaultAnswer> FaultAnswers(const std::string& name) {
  const std::string log = test::FetchText(g_servers.fault + "/__log");
  static const std::regex entry(
      R"re(\{"path": "([^"]*)", "range": "([^"]*)", "if_range": "((?:[^"\\]|\\.)*)", "status": (\d+), "sent": (\d+), "ended": [\d.]+\})re");
  std::vector<FaultAnswer> answers;
  for (std::sregex_iterator it(log.begin(), log.end(), entry), end; it != end; ++it) {
    if ((*it)[1].str().ends_with(name))
      answers.push_back(
          {(*it)[2].str(), (*it)[3].str(), std::stoi((*it)[4].str()), std::stoull((*it)[5].str())});
  }
  return answers;
}

std::string LogSince(uint64_t offset) { return test::ReadLogUtf8(offset); }

void Publish(const std::wstring& name, const std::string& bytes) {
  WriteFileBytes(g_servers.WwwPath(name), bytes);
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override { logStart_ = test::LogFileSize(); }
  std::string NewLog() const { return LogSince(logStart_); }
  uint64_t logStart_ = 0;
  DownloadProbe probe_;
};

TEST_F(DownloadTest, FreshFileArrivesWholeWithMessagesInOrder) {
  const std::string bytes = PatternBytes(0, 3 * 1024 * 1024 + 17);
  Publish(L"fresh.bin", bytes);
  const std::wstring target = ScratchPath(L"fresh.bin");

  EXPECT_EQ(probe_.Run(g_servers.http + "/fresh.bin", target), MDS_STATUS_DONE);
  EXPECT_EQ(probe_.StatusCodes(),
            (std::vector<int64_t>{MDS_STATUS_PREPARING, MDS_STATUS_DOWNLOADING, MDS_STATUS_DONE}));
  EXPECT_EQ(probe_.events().front().text, "fresh.bin");
  ASSERT_NE(probe_.LastProgress(), nullptr);
  EXPECT_EQ(probe_.LastProgress()->code, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(probe_.LastProgress()->total, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(probe_.events()[probe_.events().size() - 2].message, WM_DOWNLOAD_PROGRESS)
      << "the final count comes before 1013";
  EXPECT_FALSE(probe_.SawProgressOverlap());
  EXPECT_TRUE(ReadFileBytes(target) == bytes);
  EXPECT_TRUE(probe_.helper().IsCompleted());
}

// A complete file is taken as it is when its MD5 is checked next, or when the server still vouches
// for the build this program fetched; a full-size file of unknown origin is fetched again.
TEST_F(DownloadTest, CompleteFileIsNotFetchedAgainOnlyWhenSomethingVouchesForIt) {
  const std::string bytes = PatternBytes(0, 5000);
  Publish(L"complete.bin", bytes);
  const std::wstring target = ScratchPath(L"complete.bin");
  WriteFileBytes(target, bytes);
  const auto completeUntouched = [&] {
    EXPECT_EQ(probe_.ProgressCount(), 1u);
    EXPECT_EQ(probe_.LastProgress()->code, 5000);
    EXPECT_EQ(probe_.LastProgress()->total, 5000);
    EXPECT_EQ(probe_.StatusCodes(), (std::vector<int64_t>{MDS_STATUS_PREPARING, MDS_STATUS_DONE}));
  };
  EXPECT_EQ(probe_.Run(g_servers.http + "/complete.bin", target, 30000, 0, MSHTTPHelper::Content::Checked),
            MDS_STATUS_DONE);
  completeUntouched();
  EXPECT_EQ(probe_.helper().Digest(), Md5Of(bytes)) << "a complete file is hashed from disk";

  // A stale file of an older release, with the same name and size and no MD5 in the list.
  const std::string stale = PatternBytes(1, 5001);
  const std::wstring fetched = ScratchPath(L"stale.bin");
  WriteFileBytes(fetched, stale);
  (void)test::FetchText(g_servers.fault + "/__reset");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/body/5000/stale.bin", fetched), MDS_STATUS_DONE);
  EXPECT_TRUE(ReadFileBytes(fetched) == bytes) << "the stale file was taken as it is";
  // Fetched whole by this program, it is taken as it is while the server's ETag stays the same.
  EXPECT_EQ(probe_.Run(g_servers.fault + "/body/5000/stale.bin", fetched), MDS_STATUS_DONE);
  completeUntouched();
  const std::vector<FaultAnswer> answers = FaultAnswers("/stale.bin");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].range, "") << "nothing of the stale file is kept";
  EXPECT_EQ(answers[1].range, "bytes=4999-");
  EXPECT_EQ(answers[1].ifRange, "\\\"v1\\\"");
  EXPECT_EQ(answers[1].sent, 1u);
}

TEST_F(DownloadTest, PartialFileResumesOneByteEarlyAndNothingMore) {
  const std::string bytes = PatternBytes(0, 2 * 1024 * 1024);
  Publish(L"partial.bin", bytes);
  const std::wstring target = ScratchPath(L"partial.bin");
  WriteFileBytes(target, bytes.substr(0, 1000));
  const size_t logOffset = AccessLogSize();

  // A partial file from before resume records: resumed plainly, as its MD5 is checked next.
  EXPECT_EQ(probe_.Run(g_servers.http + "/partial.bin", target, 30000, 0, MSHTTPHelper::Content::Checked),
            MDS_STATUS_DONE);
  EXPECT_TRUE(ReadFileBytes(target) == bytes);
  EXPECT_EQ(probe_.helper().Digest(), Md5Of(bytes)) << "the check covers the bytes from before the cut";
  const auto* first = &probe_.events()[2];
  ASSERT_EQ(first->message, WM_DOWNLOAD_PROGRESS);
  EXPECT_GT(first->code, 999);

  ::Sleep(200);  // nginx writes its access log line once the response is done
  const NginxTraffic traffic = NginxTrafficFor("/partial.bin", logOffset);
  EXPECT_EQ(traffic.ranges, (std::vector<std::string>{"bytes=999-"}));
  EXPECT_EQ(traffic.bytes, bytes.size() - 999) << "only the missing bytes and the one re-fetched";
}

TEST_F(DownloadTest, ServerIgnoringTheRangeRewritesTheFileFromTheStart) {
  const std::wstring target = ScratchPath(L"ignore.bin");
  WriteFileBytes(target, std::string(3000, 'x'));
  EXPECT_EQ(probe_.Run(g_servers.fault + "/ignore-range/10000/ignore.bin", target), MDS_STATUS_DONE);
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 10000));
}

TEST_F(DownloadTest, StalePartialLongerThanTheRemoteFileIsReplaced) {
  const std::string bytes = PatternBytes(0, 4000);
  Publish(L"shrunk.bin", bytes);
  const std::wstring target = ScratchPath(L"shrunk.bin");
  WriteFileBytes(target, std::string(9000, 'x'));

  EXPECT_EQ(probe_.Run(g_servers.http + "/shrunk.bin", target), MDS_STATUS_DONE);
  EXPECT_TRUE(ReadFileBytes(target) == bytes);
}

// An answer that asking again will not change fails at once, with nothing written.
TEST_F(DownloadTest, PermanentAnswersFailAtOnceWithTheConnectionText) {
  const std::wstring target = ScratchPath(L"missing.bin");
  EXPECT_EQ(probe_.Run(g_servers.http + "/missing.bin", target), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text, kConnectionText);
  EXPECT_EQ(probe_.helper().Status(), MDS_STATUS_HTTP_ERROR);
  EXPECT_EQ(probe_.helper().LastError(), 0u);
  EXPECT_NE(NewLog().find("[ERR-4] HTTP lỗi 404, URL: " + g_servers.http + "/missing.bin"),
            std::string::npos);
  EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written on failure";

  for (const char* status : {"403", "410", "401", "501"}) {
    EXPECT_EQ(probe_.Run(g_servers.fault + "/status/" + status + "/x.bin", target), MDS_STATUS_FAILED);
    EXPECT_TRUE(probe_.RetryWaits().empty()) << status;
    EXPECT_NE(NewLog().find(std::string("[ERR-4] HTTP lỗi ") + status), std::string::npos);
  }
  EXPECT_EQ(NewLog().find("Thử lại"), std::string::npos);
}

// A busy server's Retry-After is waited out, the window counting down, and the file arrives.
TEST_F(DownloadTest, BusyServerIsWaitedOut) {
  (void)test::FetchText(g_servers.fault + "/__reset");
  const std::wstring target = ScratchPath(L"busy.bin");
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_EQ(probe_.Run(g_servers.fault + "/busy/503/1/2/5000/busy.bin", target), MDS_STATUS_DONE);
  EXPECT_GE(::GetTickCount64() - start, 2000u) << "the server asked for two seconds";
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 5000));
  const auto waits = probe_.RetryWaits();
  ASSERT_EQ(waits.size(), 2u) << "one notice a second";
  EXPECT_EQ(waits[0]->code, 2);
  EXPECT_EQ(waits[1]->code, 1);
  EXPECT_EQ(FailureKindFromMessage(static_cast<intptr_t>(waits[0]->total)), FailureKind::ServerBusy);
  EXPECT_NE(NewLog().find("Thử lại lần 1 sau 2000 ms (máy chủ đang bận)"), std::string::npos) << NewLog();
}

// A network that is gone is tried again, counting down, until the budget without a new byte ends;
// then the download fails as it always has.
TEST_F(DownloadTest, UnreachableServerIsTriedAgainUntilTheBudgetEnds) {
  probe_.helper().SetRetryBudget(2500);
  // Port 9 on loopback: nothing listens there.
  EXPECT_EQ(probe_.Run("http://127.0.0.1:9/x.bin", ScratchPath(L"x.bin")), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text, kConnectionText);
  EXPECT_EQ(probe_.helper().Status(), MDS_STATUS_INIT_FAILED);
  EXPECT_NE(probe_.helper().LastError(), 0u);
  ASSERT_FALSE(probe_.RetryWaits().empty());
  EXPECT_EQ(FailureKindFromMessage(static_cast<intptr_t>(probe_.RetryWaits()[0]->total)),
            FailureKind::NoConnection);
  const std::string log = NewLog();
  EXPECT_NE(log.find("[ERR-2] InternetOpenUrlW thất bại, URL: http://127.0.0.1:9/x.bin"), std::string::npos);
  EXPECT_NE(log.find("Thử lại lần 2 sau "), std::string::npos) << log;
  EXPECT_TRUE(std::regex_search(log, std::regex("Dừng tải sau \\d+ giây không nhận được dữ liệu mới")))
      << log;
}

TEST_F(DownloadTest, ExceptionInTheThreadIsLoggedAndEndsTheTransferAsFailed) {
  constexpr size_t kSize = 5000;
  Publish(L"no-memory.bin", PatternBytes(0, kSize));
  g_refusedAllocation = kSize;  // the transfer's read buffer, as large as the file
  EXPECT_EQ(probe_.Run(g_servers.http + "/no-memory.bin", ScratchPath(L"no-memory.bin")), MDS_STATUS_FAILED);
  EXPECT_EQ(g_refusedAllocation.exchange(0), 0u) << "the read buffer was not refused";
  EXPECT_EQ(probe_.StatusCodes(),
            (std::vector<int64_t>{MDS_STATUS_PREPARING, MDS_STATUS_DOWNLOADING, MDS_STATUS_FAILED}));
  EXPECT_EQ(probe_.events().back().text, kConnectionText);
  EXPECT_EQ(probe_.helper().Status(), MDS_STATUS_FAILED);
  EXPECT_NE(NewLog().find("]\tMSHTTPHelper::Download\tLuồng dừng vì ngoại lệ: std::bad_alloc"),
            std::string::npos)
      << NewLog();
}

TEST_F(DownloadTest, MissingContentLengthFails) {
  EXPECT_EQ(probe_.Run(g_servers.fault + "/nolength/100/n.bin", ScratchPath(L"n.bin")), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text, kConnectionText);
  EXPECT_NE(NewLog().find("[ERR-5] HttpQueryInfo (Content-Length) thất bại"), std::string::npos);
}

TEST_F(DownloadTest, SavePathThatIsAFolderFailsWithTheSystemText) {
  const std::wstring folder = ScratchPath(L"a-folder");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_EQ(probe_.Run(g_servers.fault + "/body/10/a-folder", folder), MDS_STATUS_FAILED);
  EXPECT_NE(probe_.events().back().text, kConnectionText);
  EXPECT_FALSE(probe_.events().back().text.empty());
  EXPECT_NE(NewLog().find("[ERR-6] CreateFileW thất bại, lưu tại: "), std::string::npos);
  ::RemoveDirectoryW(folder.c_str());
}

TEST_F(DownloadTest, PartialFileChangedByAnotherWriterIsLeftAlone) {
  const std::wstring target = ScratchPath(L"busy.bin");
  WriteFileBytes(target, PatternBytes(0, 100));
  // The server answers late; meanwhile something else grows the file.
  std::thread writer([&] {
    ::Sleep(300);
    std::ofstream(std::filesystem::path(target), std::ios::binary | std::ios::app) << "more";
  });
  EXPECT_EQ(probe_.Run(g_servers.fault + "/late/1000/1500/busy.bin", target), MDS_STATUS_FAILED);
  writer.join();
  EXPECT_EQ(probe_.events().back().text, kFileInUseText);
  EXPECT_NE(NewLog().find("[ERR-7] GetFileSizeEx thất bại, file đang bị khóa: "), std::string::npos);
  EXPECT_EQ(ReadFileBytes(target), PatternBytes(0, 100) + "more");
}

// A pause then a resume: the stopped transfer holds its file until its read in progress returns, and
// the new one waits for that instead of failing on the sharing violation.
TEST_F(DownloadTest, TransferStartedRightAfterAStopOfTheSameFileWaitsForItsFile) {
  const std::wstring target = ScratchPath(L"again.bin");
  auto stopped = std::make_unique<DownloadProbe>();
  // Its one read waits for all four pieces, the last three seconds after the first.
  EXPECT_EQ(stopped->Run(g_servers.fault + "/slow/4096/1000/again.bin", target, 1500), 0) << "still going";
  ASSERT_TRUE(std::filesystem::exists(target));
  stopped.reset();
  EXPECT_EQ(probe_.Run(g_servers.fault + "/body/4096/again.bin", target), MDS_STATUS_DONE)
      << probe_.events().back().text;
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 4096));
  EXPECT_NE(NewLog().find("Chờ lượt tải trước của tệp dừng hẳn: "), std::string::npos);
}

TEST_F(DownloadTest, PartialAnswerAtTheWrongOffsetFails) {
  const std::wstring target = ScratchPath(L"range.bin");
  WriteFileBytes(target, PatternBytes(0, 100));
  EXPECT_EQ(probe_.Run(g_servers.fault + "/bad-range/1000/range.bin", target, 30000, 0,
                       MSHTTPHelper::Content::Checked),
            MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text, kFileInUseText);
  EXPECT_NE(NewLog().find("[ERR-8] InternetSetFilePointer thất bại, offset: 99"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(target), PatternBytes(0, 100)) << "the partial file is untouched";
}

// A cut transfer never ends as done: it is resumed from what arrived, as long as new bytes keep
// coming, and the backoff starts over with each of them.
TEST_F(DownloadTest, CutTransfersResumeWhileBytesCome) {
  // Each answer brings 5000 bytes from where the file stops: five tries make the file.
  const std::wstring shortened = ScratchPath(L"short.bin");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/short/20000/5000/short.bin", shortened, 30000, 0,
                       MSHTTPHelper::Content::Checked),
            MDS_STATUS_DONE);
  EXPECT_EQ(probe_.helper().Digest(), Md5Of(PatternBytes(0, 20000)))
      << "hashed as written, across the resumes";
  const std::string log = NewLog();
  EXPECT_NE(log.find("[ERR-11] Download không đủ dữ liệu, đã tải: 5000 / 20000 bytes"), std::string::npos)
      << log;
  EXPECT_TRUE(std::regex_search(
      log,
      std::regex(
          "Thử lại lần 1 sau \\d+ ms \\(đường truyền bị ngắt giữa chừng\\), đã tải: 14998 / 20000 bytes")))
      << "new bytes start the backoff over: " << log;
  EXPECT_TRUE(ReadFileBytes(shortened) == PatternBytes(0, 20000));
}

// A server that answers every resume with the whole file again, cut at the same place, brings no
// new byte after the first try: the download fails once the budget is spent instead of starting
// over for ever, and keeps what it has for a later resume.
TEST_F(DownloadTest, ServerRestartingEveryTryAtTheSameCutGivesUp) {
  probe_.helper().SetRetryBudget(2500);
  const std::wstring target = ScratchPath(L"restart.bin");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/restart-cut/40000/restart.bin", target), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text, kConnectionText);
  EXPECT_EQ(ReadFileBytes(target), PatternBytes(0, 10000));
  EXPECT_TRUE(std::regex_search(NewLog(), std::regex("Dừng tải sau \\d+ giây không nhận được dữ liệu mới")))
      << NewLog();
}

// A file republished between two tries is not spliced: the resume carries If-Range, and the
// server's whole answer replaces what was on disk.
TEST_F(DownloadTest, ResumeOfAFileThatChangedFetchesItWhole) {
  (void)test::FetchText(g_servers.fault + "/__reset");
  const std::wstring target = ScratchPath(L"republished.bin");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/republished/40000/republished.bin", target), MDS_STATUS_DONE);
  const std::vector<FaultAnswer> answers = FaultAnswers("/republished.bin");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1].range, "bytes=9999-");
  EXPECT_EQ(answers[1].ifRange, "\\\"v1\\\"");
  EXPECT_EQ(answers[1].status, 200);
  std::string second = PatternBytes(0, 40000);
  for (char& c : second) c = static_cast<char>(c ^ 0x55);
  EXPECT_TRUE(ReadFileBytes(target) == second) << "one build, whole";
  EXPECT_NE(NewLog().find("Tải lại toàn bộ tệp (10000 bytes trên máy được ghi đè)"), std::string::npos)
      << NewLog();
}

TEST_F(DownloadTest, DroppedConnectionIsResumed) {
  const std::wstring target = ScratchPath(L"drop.bin");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/drop/200000/150000/drop.bin", target), MDS_STATUS_DONE);
  // Windows reports the reset as a failed read (ERR-10); Wine's WinINet ends the body cleanly, which
  // the short-body check then catches (ERR-11).
  const std::string log = NewLog();
  EXPECT_TRUE(log.find("[ERR-10] InternetReadFile thất bại giữa chừng") != std::string::npos ||
              log.find("[ERR-11] Download không đủ dữ liệu, đã tải: 150000 / 200000 bytes") !=
                  std::string::npos)
      << log;
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 200000));
}

// A server that goes silent is given up on after the 30-second receive time-out, here in the
// middle of a body (resumed) and after a manifest's headers (a failed fetch): nothing waits forever.
TEST_F(DownloadTest, SilentServerTimesOut) {
  const auto start = std::chrono::steady_clock::now();
  const std::wstring target = ScratchPath(L"stall.bin");
  EXPECT_EQ(probe_.Run(g_servers.fault + "/stall/200000/50000/1/stall.bin", target), MDS_STATUS_DONE);
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 200000));
  // The read the silence cut returns none of what it was filling: the resume starts from the file.
  EXPECT_NE(NewLog().find("[ERR-10] InternetReadFile thất bại giữa chừng"), std::string::npos) << NewLog();

  std::wstring text;
  EXPECT_FALSE(
      MSHTTPHelper::Init(nullptr)->GetTextFromUrlW(g_servers.fault + "/stall/100/0/1/stall.ini", text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2 * 30 + 20));
}

// A listed size is the only length taken: a server announcing any other fails before a byte is
// written, so it can neither fill the disk nor pass off a short file.
TEST_F(DownloadTest, LengthOtherThanTheListedSizeFailsUnwritten) {
  for (const uint64_t listed : {4000u, 6000u}) {
    const std::wstring target = ScratchPath(L"listed.bin");
    EXPECT_EQ(probe_.Run(g_servers.fault + "/body/5000/listed.bin", target, 30000, listed),
              MDS_STATUS_FAILED);
    EXPECT_EQ(probe_.events().back().text, kConnectionText);
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << listed;
  }
  EXPECT_NE(NewLog().find("Tệp trên máy chủ dài 5000 bytes, danh sách ghi 4000 bytes"), std::string::npos);
}

TEST_F(DownloadTest, WindowThatIsSlowToTakeProgressIsNotFlooded) {
  Publish(L"flood.bin", PatternBytes(0, 8 * 1024 * 1024));
  probe_.acknowledgeProgress = false;
  EXPECT_EQ(probe_.Run(g_servers.http + "/flood.bin", ScratchPath(L"flood.bin")), MDS_STATUS_DONE);
  EXPECT_EQ(probe_.ProgressCount(), 2u) << "one posted message in flight, then the final count";
  EXPECT_EQ(probe_.LastProgress()->code, 8 * 1024 * 1024);
}

TEST_F(DownloadTest, FilesOfTwoAndAHalfGibibytesArriveWhole) {
  constexpr int64_t kSize = 2684354560;  // 2.5 GiB: past every 32-bit counter
  {
    std::ofstream sparse(std::filesystem::path(g_servers.WwwPath(L"huge.bin")),
                         std::ios::binary | std::ios::trunc);
    sparse.seekp(kSize - 1);
    sparse.put('\x5a');
  }
  const std::wstring target = ScratchPath(L"huge.bin");
  EXPECT_EQ(probe_.Run(g_servers.http + "/huge.bin", target, 600000), MDS_STATUS_DONE);
  ASSERT_NE(probe_.LastProgress(), nullptr);
  EXPECT_EQ(probe_.LastProgress()->code, kSize);
  EXPECT_EQ(probe_.LastProgress()->total, kSize);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ((int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow, kSize);
  std::ifstream file(std::filesystem::path(target), std::ios::binary);
  file.seekg(kSize - 1);
  EXPECT_EQ(file.get(), 0x5a);
  file.close();
  ::DeleteFileW(target.c_str());
  ::DeleteFileW(g_servers.WwwPath(L"huge.bin").c_str());
}

// Redirects are followed by the program: on to https, five hops at most; never down to clear text,
// which is refused before a byte reaches the plain server.
TEST_F(DownloadTest, RedirectsStayOnTlsForFiveHopsAtMost) {
  test::TrustedCa trust(g_servers.folder + L"\\tls\\ca.crt");
  ASSERT_TRUE(trust.added());
  const std::string bytes = PatternBytes(0, 70000);
  Publish(L"moved.bin", bytes);
  for (const char* path : {"/to-https/moved.bin", "/hop5/moved.bin"}) {
    const std::wstring target = ScratchPath(L"moved.bin");
    EXPECT_EQ(probe_.Run(g_servers.https + path, target), MDS_STATUS_DONE) << path;
    EXPECT_TRUE(ReadFileBytes(target) == bytes) << path;
  }

  const size_t plainBefore = AccessLogSize();
  EXPECT_EQ(probe_.Run(g_servers.https + "/to-http/moved.bin", ScratchPath(L"moved.bin")), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text,
            "Máy chủ chuyển hướng sang kết nối không bảo mật, chương trình không theo: " + g_servers.http +
                "/moved.bin");
  EXPECT_TRUE(probe_.RetryWaits().empty()) << "a refusal is not tried again";
  EXPECT_NE(NewLog().find("Từ chối chuyển hướng từ " + g_servers.https + "/to-http/moved.bin sang " +
                          g_servers.http + "/moved.bin"),
            std::string::npos)
      << NewLog();

  EXPECT_EQ(probe_.Run(g_servers.https + "/hop6/moved.bin", ScratchPath(L"moved.bin")), MDS_STATUS_FAILED);
  EXPECT_EQ(probe_.events().back().text,
            "Máy chủ chuyển hướng quá nhiều lần, chương trình dừng ở: " + g_servers.https + "/moved.bin");

  const auto helper = MSHTTPHelper::Init(nullptr);
  std::wstring text;
  EXPECT_FALSE(helper->GetTextFromUrlW(g_servers.https + "/to-http/moved.bin", text));
  EXPECT_FALSE(helper->RefusedText().empty());
  ::Sleep(200);
  EXPECT_EQ(ReadFileBytes(g_servers.AccessLogPath()).substr(plainBefore).find("/moved.bin"),
            std::string::npos)
      << "nothing reached the plain server";
}

// The player's cap (net/transfer_rules.h), shared by every transfer of the process.
class CappedDownloadTest : public ::testing::Test {
 protected:
  ~CappedDownloadTest() override { SetDownloadLimitKBps(0); }

  // True once the download thread lets go of `path` (it holds it open for writing), within `ms`.
  static bool ReleasedWithin(const std::wstring& path, ULONGLONG ms) {
    for (const ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() <= end; ::Sleep(5)) {
      const UniqueFile file(
          ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (file) return true;
    }
    return false;
  }
};

// At the server, every 10 s of a long transfer capped at 1024 KB/s, its first included, carries
// 1 MiB/s within 10 %; the progress moves at least twice a second; a stop ends it within a second.
TEST_F(CappedDownloadTest, ServerSendsTheCapOverAnyTenSecondsAndAStopEndsAtOnce) {
  SetDownloadLimitKBps(1024);
  const std::wstring target = ScratchPath(L"capped.bin");
  auto probe = std::make_unique<DownloadProbe>();
  EXPECT_EQ(probe->Run(g_servers.fault + "/timed/25165824/capped.bin", target, 13'000), 0) << "still going";

  // [ms, written, out]: the bytes that left the server's socket, not those in its send queue
  // (Linux takes up to 4 MiB ahead of a slow reader), are what crossed the link.
  const std::string json = test::FetchText(g_servers.fault + "/__sent/capped.bin");
  static const std::regex entry(R"(\[(\d+), \d+, (-?\d+)\])");
  std::vector<std::pair<int64_t, int64_t>> out;
  for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it)
    out.emplace_back(std::stoll((*it)[1].str()), std::stoll((*it)[2].str()));
  ASSERT_FALSE(out.empty());
  ASSERT_GT(out.back().first, 11'000);
  double lowest = 1e18, highest = 0;
  for (size_t from = 0, to = 0; out[from].first + 10'000 <= out.back().first; ++from) {
    while (out[to + 1].first <= out[from].first + 10'000) ++to;
    const double perSecond = static_cast<double>(out[to].second - out[from].second) / 10;
    lowest = std::min(lowest, perSecond);
    highest = std::max(highest, perSecond);
  }
  std::printf("10 s averages at the server: %.1f %% to %.1f %% of 1024 KB/s\n", lowest / 10'485.76,
              highest / 10'485.76);
  EXPECT_GE(lowest, 0.9 * 1024 * 1024);
  EXPECT_LE(highest, 1.1 * 1024 * 1024);

  ULONGLONG previous = 0;
  for (const test::DownloadEvent& event : probe->events()) {
    if (event.message != WM_DOWNLOAD_PROGRESS) continue;
    if (previous != 0) {
      EXPECT_LE(event.tick - previous, 500u);
    }
    previous = event.tick;
  }
  EXPECT_GT(probe->ProgressCount(), 20u);
  probe.reset();
  EXPECT_TRUE(ReleasedWithin(target, 1000)) << "still held a second after the stop";
}

// A transfer waiting for the cap (the budget drained for a minute here, as transfers beside it could
// drain it): a stop ends it within a second, and a cap lifted from the menu lets it go on at once.
TEST_F(CappedDownloadTest, AStopCutsTheWaitShortAndALiftedCapReachesTheTransfer) {
  SetDownloadLimitKBps(1);
  const std::wstring stopped = ScratchPath(L"capped-stop.bin");
  auto probe = std::make_unique<DownloadProbe>();
  EXPECT_EQ(probe->Run(g_servers.fault + "/timed/2097152/capped-stop.bin", stopped, 1000), 0);
  EXPECT_GE(probe->ProgressCount(), 2u) << "reads of 256 bytes at 1 KB/s still show progress";
  DownloadRateLimiter().Take(64 * 1024);
  ::Sleep(300);
  probe.reset();
  EXPECT_TRUE(ReleasedWithin(stopped, 1000)) << "still held a second after the stop";

  SetDownloadLimitKBps(0);  // what was owed is forgiven
  SetDownloadLimitKBps(1);
  DownloadProbe lifted;
  const std::wstring target = ScratchPath(L"capped-lift.bin");
  EXPECT_EQ(lifted.Run(g_servers.fault + "/timed/2097152/capped-lift.bin", target, 1000), 0);
  SetDownloadLimitKBps(0);
  ASSERT_FALSE(lifted.StatusCodes().empty());
  const auto done = [&] { return lifted.StatusCodes().back() == MDS_STATUS_DONE; };
  MSG msg;
  for (const ULONGLONG end = ::GetTickCount64() + 3000; !done() && ::GetTickCount64() < end;) {
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&msg);
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  EXPECT_TRUE(done()) << "a lifted cap lets the waiting transfer run at full speed";
  EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(0, 2097152));
}

class TextFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { logStart_ = test::LogFileSize(); }
  std::unique_ptr<MSHTTPHelper> helper_ = MSHTTPHelper::Init(nullptr);
  uint64_t logStart_ = 0;
};

TEST_F(TextFetchTest, EmptyBodyIsASuccessWithNoText) {
  std::wstring text;
  EXPECT_TRUE(helper_->GetTextFromUrlW(g_servers.fault + "/text/-/empty.ini", text));
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(helper_->Status(), MDS_STATUS_DONE);
}

TEST_F(TextFetchTest, NotFoundFailsWithoutASystemError) {
  std::wstring text;
  EXPECT_FALSE(helper_->GetTextFromUrlW(g_servers.http + "/nothing.ini", text));
  EXPECT_EQ(helper_->StatusCode(), 404u);
  EXPECT_EQ(helper_->Status(), MDS_STATUS_HTTP_ERROR);
  EXPECT_EQ(helper_->LastError(), 0u);
  EXPECT_NE(test::ReadLogUtf8(logStart_).find("GetTextFromUrlW " + g_servers.http +
                                              "/nothing.ini this->statusCode (404) != HTTP_STATUS_OK "),
            std::string::npos);
}

TEST_F(TextFetchTest, SecondCallFailsTheStateCheck) {
  std::wstring text;
  ASSERT_TRUE(helper_->GetTextFromUrlW(g_servers.fault + "/text/6869/a.ini", text));
  EXPECT_EQ(text, L"hi");
  EXPECT_FALSE(helper_->GetTextFromUrlW(g_servers.fault + "/text/6869/a.ini", text));
  EXPECT_EQ(text, L"hi");
  EXPECT_NE(test::ReadLogUtf8(logStart_).find("this->MDS_STATUS != MDS_STATUS_INITIALIZING"),
            std::string::npos);
}

TEST_F(TextFetchTest, ByteOrderMarkAndSplitCharactersSurvive) {
  // 1023 ASCII bytes put the three bytes of U+1EA3 across the 1024-byte read boundary.
  Publish(L"split.ini", "\xEF\xBB\xBF" + std::string(1020, 'a') + "\xE1\xBA\xA3" + "z");
  std::wstring text;
  ASSERT_TRUE(helper_->GetTextFromUrlW(g_servers.http + "/split.ini", text));
  EXPECT_EQ(text, L"\uFEFF" + std::wstring(1020, L'a') + L"\u1EA3z");
}

// A manifest must arrive whole and small: cut, reset or oversized, it is a failed fetch.
TEST_F(TextFetchTest, TextCutShortOrTooLongFails) {
  const std::pair<std::string, std::string> cases[] = {
      {"/short/3000/1000/cut.ini", "nội dung dừng ở 1000 / 3000 bytes"},
      {"/drop/3000/1500/drop.ini", "1500"},
      {"/body/1048577/big.ini", "nội dung 1048577 bytes, quá giới hạn 1048576 bytes"},
  };
  for (const auto& [path, logged] : cases) {
    std::wstring text;
    EXPECT_FALSE(MSHTTPHelper::Init(nullptr)->GetTextFromUrlW(g_servers.fault + path, text)) << path;
    EXPECT_TRUE(text.empty());
    EXPECT_NE(test::ReadLogUtf8(logStart_).find("GetTextFromUrlW " + g_servers.fault + path),
              std::string::npos);
    EXPECT_NE(test::ReadLogUtf8(logStart_).find(logged), std::string::npos) << path;
  }
  std::wstring text;
  EXPECT_TRUE(helper_->GetTextFromUrlW(g_servers.fault + "/body/1048576/limit.ini", text))
      << "the limit itself";
}

TEST_F(TextFetchTest, UnreachableServerFailsAtTheOpen) {
  std::wstring text;
  EXPECT_FALSE(helper_->GetTextFromUrlW("http://127.0.0.1:9/version.ini", text));
  EXPECT_EQ(helper_->Status(), MDS_STATUS_INIT_FAILED);
  EXPECT_NE(test::ReadLogUtf8(logStart_).find("GetTextFromUrlW http://127.0.0.1:9/version.ini !m_hConnect"),
            std::string::npos);
}

}  // namespace
}  // namespace sl

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: %s <servers.env>\n", argv[0]);
    return 2;
  }
  sl::g_servers = sl::test::LoadTestServers(argv[1]);
  return RUN_ALL_TESTS();
}
