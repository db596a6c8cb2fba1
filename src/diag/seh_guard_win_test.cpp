#include "diag/seh_guard_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "base/text.h"
#include "diag/log.h"
#include "tests/support/log_test_support_win.h"

namespace sl {
namespace {

using namespace test;

std::string Pointer(const void* address) {
  return Format("0x%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)));
}

// Both volatile: the compiler must neither see the null (and emit a trap instead) nor drop the store.
__attribute__((noinline)) void WriteToNull() {
  volatile int* volatile target = nullptr;
  *target = 42;
}

void RaiseDivideByZero() { ::RaiseException(EXCEPTION_INT_DIVIDE_BY_ZERO, 0, 0, nullptr); }

TEST(SehGuard, AccessViolationIsLoggedOnceAndSurvived) {
  const uint64_t start = LogFileSize();
  bool finished = false;
  EXPECT_FALSE(RunGuarded("Ghi bộ nhớ: ", [&] {
    WriteToNull();
    finished = true;
  }));
  EXPECT_FALSE(finished);

  const std::string entry = ReadLogUtf8(start);
  EXPECT_EQ(CountEntries(entry), 1u);
  EXPECT_TRUE(entry.find("]\tGhi bộ nhớ: -1073741819: ") != std::string::npos ||
              entry.find("]\tGhi bộ nhớ: Không thể lấy thông điệp lỗi! (-1073741819)\t") != std::string::npos)
      << entry;
  std::smatch match;
  ASSERT_TRUE(
      std::regex_search(entry, match,
                        std::regex("\tSE EXCEPTION_ACCESS_VIOLATION at address 0x([0-9A-F]{16}) inside (.+)"
                                   " loaded at base address 0x([0-9A-F]{16})\n"
                                   "Invalid operation: write at address 0x0\n\r\n\r\n$")))
      << entry;
  EXPECT_EQ(match[2].str(), ExePath());
  const uint64_t base = std::stoull(match[3].str(), nullptr, 16);
  EXPECT_EQ(base, reinterpret_cast<uintptr_t>(::GetModuleHandleW(nullptr)));
  EXPECT_GT(std::stoull(match[1].str(), nullptr, 16), base);
}

TEST(SehGuard, RaisedExceptionGetsOnlyTheFirstLine) {
  const uint64_t start = LogFileSize();
  EXPECT_FALSE(RunGuarded("Chia: ", RaiseDivideByZero));
  const std::string entry = ReadLogUtf8(start);
  EXPECT_EQ(CountEntries(entry), 1u);
  EXPECT_NE(entry.find("-1073741676"), std::string::npos) << entry;
  EXPECT_TRUE(
      std::regex_search(entry, std::regex("\tSE EXCEPTION_INT_DIVIDE_BY_ZERO at address 0x[0-9A-F]{16}"
                                          " inside .+ loaded at base address 0x[0-9A-F]{16}\n\r\n\r\n$")))
      << entry;
}

TEST(SehGuard, BodyWithoutFaultRunsFullyAndLogsNothing) {
  const uint64_t start = LogFileSize();
  int steps = 0;
  const auto step = [&steps] { ++steps; };
  EXPECT_TRUE(RunGuarded("Yên: ", [&] {
    step();
    step();
  }));
  EXPECT_TRUE(RunGuarded("Yên: ", step));  // a const body works too
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(LogFileSize(), start);
}

TEST(SehGuard, GuardsNestWorkAgainAndOnOtherThreads) {
  const uint64_t start = LogFileSize();
  bool innerOk = true;
  bool outerGoesOn = false;
  EXPECT_FALSE(RunGuarded("Ngoài: ", [&] {
    innerOk = RunGuarded("Trong: ", WriteToNull);
    outerGoesOn = true;
    RaiseDivideByZero();
  }));
  EXPECT_FALSE(innerOk);
  EXPECT_TRUE(outerGoesOn);
  bool threadOk = true;
  std::thread([&threadOk] { threadOk = RunGuarded("Luồng: ", WriteToNull); }).join();
  EXPECT_FALSE(threadOk);

  // Each guard reports under its own source: the nearest one to the fault.
  const std::string text = ReadLogUtf8(start);
  EXPECT_EQ(CountEntries(text), 3u);
  size_t at = 0;
  for (const char* piece : {"\tTrong: ", "EXCEPTION_ACCESS_VIOLATION", "\tNgoài: ",
                            "EXCEPTION_INT_DIVIDE_BY_ZERO", "\tLuồng: ", "EXCEPTION_ACCESS_VIOLATION"}) {
    at = text.find(piece, at);
    ASSERT_NE(at, std::string::npos) << piece << " missing or out of order in\n" << text;
  }
}

TEST(SehGuard, FaultInsideWriteLogIsLoggedAfterwardsAndTheLogGoesOn) {
  const uint64_t start = LogFileSize();
  // A source in unmapped memory: WriteLog itself faults while reading it.
  const std::string_view unreadable(reinterpret_cast<const char*>(0x10), 8);
  // On another thread, so that a log left locked fails the test instead of hanging it.
  std::atomic<bool> returned{false};
  std::thread writer([&] {
    EXPECT_FALSE(RunGuarded("Trong nhật ký: ", [&] { WriteLog(unreadable, 0); }));
    WriteLog("Sau lỗi", 0);
    returned = true;
  });
  for (int waited = 0; !returned && waited < 200; ++waited) ::Sleep(50);
  if (!returned) {
    writer.detach();
    FAIL() << "WriteLog did not return after a fault inside it";
  }
  writer.join();

  const std::string text = ReadLogUtf8(start);
  EXPECT_EQ(CountEntries(text), 2u) << text;
  const size_t fault = text.find("]\tTrong nhật ký: ");
  ASSERT_NE(fault, std::string::npos) << text;
  EXPECT_NE(text.find("-1073741819", fault), std::string::npos) << text;
  EXPECT_NE(text.find("\tSE EXCEPTION_ACCESS_VIOLATION at address", fault), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("]\tSau lỗi\r\n\r\n")) << text;
}

TEST(SehGuard, CppExceptionsPassThroughUnreported) {
  struct SetOnDestruction {
    bool& flag;
    ~SetOnDestruction() { flag = true; }
  };
  const uint64_t start = LogFileSize();
  bool destroyed = false;
  const auto throwing = [&] {
    SetOnDestruction guard{destroyed};
    throw std::runtime_error("boom");
  };
  EXPECT_THROW((void)RunGuarded("C++: ", throwing), std::runtime_error);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(LogFileSize(), start);
}

TEST(ReportException, WritesOneEntryWithTheWholeDescription) {
  EXCEPTION_RECORD record{};
  record.ExceptionAddress = reinterpret_cast<void*>(&ReportException);  // inside this executable
  record.NumberParameters = 3;
  record.ExceptionInformation[1] = 0x1000;
  record.ExceptionInformation[2] = 0xC000009C;
  EXCEPTION_POINTERS pointers{&record, nullptr};

  uint64_t start = LogFileSize();
  EXPECT_EQ(ReportException("Đọc gói: ", EXCEPTION_IN_PAGE_ERROR, &pointers), EXCEPTION_EXECUTE_HANDLER);
  std::string entry = ReadLogUtf8(start);
  EXPECT_EQ(CountEntries(entry), 1u);
  EXPECT_NE(entry.find("]\tĐọc gói: "), std::string::npos) << entry;
  EXPECT_NE(entry.find("-1073741818"), std::string::npos) << entry;
  EXPECT_TRUE(entry.ends_with("\tSE EXCEPTION_IN_PAGE_ERROR at address " + Pointer(record.ExceptionAddress) +
                              " inside " + ExePath() + " loaded at base address " +
                              Pointer(::GetModuleHandleW(nullptr)) +
                              "\nInvalid operation: read at address 0x1000\n"
                              "Underlying NTSTATUS code that resulted in the exception 3221225628\n\r\n\r\n"))
      << entry;

  record.ExceptionAddress = reinterpret_cast<void*>(0x10);  // in no module
  start = LogFileSize();
  (void)ReportException("Lệnh: ", EXCEPTION_ILLEGAL_INSTRUCTION, &pointers);
  entry = ReadLogUtf8(start);
  EXPECT_TRUE(
      entry.ends_with("\tSE EXCEPTION_ILLEGAL_INSTRUCTION at address 0x0000000000000010 inside "
                      " loaded at base address 0x0000000000000000\n\r\n\r\n"))
      << entry;
}

}  // namespace
}  // namespace sl
