#include "diag/seh_guard_win.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "tests/support/log_test_support_win.h"

namespace sl {
namespace {

using namespace test;

std::string Pointer(const void* address) {
  return Format("0x%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)));
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
