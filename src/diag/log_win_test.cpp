#include "diag/log.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "base/text_win.h"
#include "tests/support/log_test_support_win.h"

namespace sl {
namespace {

using namespace test;

std::string Stamp(const SYSTEMTIME& t) {
  return Format("[%04d-%02d-%02d %02d:%02d:%02d]\t", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
}

// What `write` appended to the log, after checking its timestamp against the clock around it.
template <class Write>
std::string AppendedAfterStamp(Write&& write) {
  const uint64_t start = LogFileSize();
  SYSTEMTIME before, after;
  ::GetLocalTime(&before);
  write();
  ::GetLocalTime(&after);
  const std::string text = ReadLogUtf8(start);
  const std::string stamp = text.substr(0, Stamp(before).size());
  EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after)) << stamp;
  return text.substr(stamp.size());
}

TEST(LogFile, EntryIsUtf16LeWithoutBomAndEndsWithAnEmptyLine) {
  const uint64_t start = LogFileSize();
  EXPECT_EQ(AppendedAfterStamp([] { WriteLog("Tải về ", 0, "xong 100%"); }), "Tải về \txong 100%\r\n\r\n");
  EXPECT_EQ(AppendedAfterStamp([] { WriteLog("Khởi động", 0); }), "Khởi động\r\n\r\n");

  // Raw bytes: ASCII as xx 00, "ả" (U+1EA3) as A3 1E, each line end as 0D 00 0A 00.
  const std::string bytes = ReadLogBytes(start);
  EXPECT_EQ(bytes.substr(0, 4), std::string("[\0"
                                            "2\0",
                                            4));  // an entry, not a byte order mark
  EXPECT_NE(bytes.find(std::string("]\0\t\0T\0\xA3\x1Ei\0", 10)), std::string::npos);
  EXPECT_NE(bytes.find(std::string("%\0\r\0\n\0\r\0\n\0[\0", 12)), std::string::npos);
  EXPECT_EQ(ReadLogBytes(0).substr(0, 2), std::string("[\0", 2));
}

TEST(LogFile, ErrorCodeBringsTheSystemTextOrTheVietnameseFallback) {
  wchar_t text[512];
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        ERROR_ACCESS_DENIED, 0, text, 512, nullptr);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(AppendedAfterStamp([] { WriteLog("Mở tệp: ", ERROR_ACCESS_DENIED, "Log.txt"); }),
            "Mở tệp: 5: " + Narrow(std::wstring_view(text, length)) + "\tLog.txt\r\n\r\n");
  // Customer-defined codes have no system text.
  EXPECT_EQ(AppendedAfterStamp([] { WriteLog("Lỗi: ", 0xE000ABCD); }),
            "Lỗi: Không thể lấy thông điệp lỗi! (-536826931)\r\n\r\n");
}

TEST(LogFile, LongEntryIsCutButKeepsBothLineEnds) {
  const uint64_t start = LogFileSize();
  WriteLog("Tải: ", 0, std::string(5000, 'x'));
  EXPECT_EQ(LogFileSize() - start, (2084u + 2u) * 2u);
  EXPECT_TRUE(ReadLogUtf8(start).ends_with("xx\r\n\r\n"));
}

// A reader that lets others write (a log viewer following the file) costs no entry; a program
// that holds the file to itself does.
TEST(LogFile, EntryIsDroppedOnlyWhileTheFileIsHeldExclusivelyElsewhere) {
  WriteLog("Trước", 0);
  for (const DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{0}}) {
    const uint64_t start = LogFileSize();
    const HANDLE holder = ::CreateFileW(TestLogFile().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    WriteLog("Đang được đọc", 0);
    ::CloseHandle(holder);
    EXPECT_EQ(LogFileSize() > start, share != 0) << "share mode " << share;
  }
}

TEST(LogFile, FolderNamedAfterTheFirstEntryChangesNothing) {
  WriteLog("Trước", 0);
  SetLogFolder(Narrow(TestLogRoot()) + "\\khác");
  const uint64_t start = LogFileSize();
  WriteLog("Sau", 0);
  EXPECT_GT(LogFileSize(), start);
  SetLogFolder(Narrow(TestLogRoot()));
}

TEST(LogFile, KeepsTheCallersLastError) {
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  WriteLog("Tìm: ", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(LogFile, ConcurrentWritersLoseNothingAndNeverInterleave) {
  constexpr int kThreads = 8;
  constexpr int kEach = 50;
  const uint64_t start = LogFileSize();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) WriteLog(Format("Luồng %d", t), 0, Format("mục %d", i));
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::string text = ReadLogUtf8(start);
  std::set<std::pair<int, int>> seen;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n\r\n", at)) != std::string::npos; at = end + 4) {
    const std::string entry = text.substr(at, end - at);
    int t = -1, i = -1, used = 0;
    const int fields =
        std::sscanf(entry.c_str(), "[%*4d-%*2d-%*2d %*2d:%*2d:%*2d]\tLuồng %d\tmục %d%n", &t, &i, &used);
    EXPECT_TRUE(fields == 2 && static_cast<size_t>(used) == entry.size()) << entry;
    seen.emplace(t, i);
  }
  EXPECT_EQ(at, text.size());
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kEach));
}

}  // namespace
}  // namespace sl
