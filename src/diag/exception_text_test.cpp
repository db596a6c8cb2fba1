#include "diag/exception_text.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

ExceptionFacts Facts(uint32_t code, uint32_t numberParameters = 0) {
  ExceptionFacts facts;
  facts.code = code;
  facts.exceptionAddress = 0x7FF6A1B2C3D4;
  facts.moduleBase = 0xABCDEF;
  facts.modulePath = "C:\\Games\\Stormline_VN.exe";
  facts.numberParameters = numberParameters;
  return facts;
}

constexpr char kWhere[] =
    " at address 0x00007FF6A1B2C3D4 inside C:\\Games\\Stormline_VN.exe loaded at base address "
    "0x0000000000ABCDEF\n";

TEST(ExceptionText, FirstLineOnlyForOtherCodesAndUnknownNames) {
  ExceptionFacts facts = Facts(0xC0000094, 2);
  facts.parameters[0] = 1;  // only access and in-page errors explain their parameters
  EXPECT_EQ(DescribeException(facts), std::string("SE EXCEPTION_INT_DIVIDE_BY_ZERO") + kWhere);
  EXPECT_EQ(DescribeException(Facts(0xC0000097)), std::string("SE UNKNOWN EXCEPTION") + kWhere);
  EXPECT_STREQ(ExceptionName(0x80000002), "EXCEPTION_DATATYPE_MISALIGNMENT");
  EXPECT_STREQ(ExceptionName(0xC00000FD), "EXCEPTION_STACK_OVERFLOW");
  EXPECT_STREQ(ExceptionName(0xE06D7363), "UNKNOWN EXCEPTION");

  facts = {};
  facts.code = 0x80000003;
  facts.exceptionAddress = 0xFFFFFFFFFFFFFFFF;
  EXPECT_EQ(DescribeException(facts),
            "SE EXCEPTION_BREAKPOINT at address 0xFFFFFFFFFFFFFFFF inside  loaded at base address "
            "0x0000000000000000\n");
}

TEST(ExceptionText, AccessViolationNamesTheOperationAndDataAddress) {
  struct Case {
    uint64_t kind;
    uint64_t address;
    const char* line;
  };
  const Case cases[] = {
      {0, 0x1234ABCD, "Invalid operation: read at address 0x1234abcd\n"},
      {1, 0, "Invalid operation: write at address 0x0\n"},
      {8, 0xFFFFFFFFFFFFFFF0,
       "Invalid operation: user-mode data execution prevention (DEP) violation at address "
       "0xfffffffffffffff0\n"},
      {2, 0x10, "Invalid operation: unknown at address 0x10\n"},
  };
  for (const Case& c : cases) {
    ExceptionFacts facts = Facts(0xC0000005, 2);
    facts.parameters[0] = c.kind;
    facts.parameters[1] = c.address;
    EXPECT_EQ(DescribeException(facts), std::string("SE EXCEPTION_ACCESS_VIOLATION") + kWhere + c.line);
  }
}

TEST(ExceptionText, InPageErrorAddsTheUnderlyingStatus) {
  ExceptionFacts facts = Facts(0xC0000006, 3);
  facts.parameters[1] = 0x7FF6A1B30000;
  facts.parameters[2] = 0xC000009C;
  EXPECT_EQ(DescribeException(facts),
            std::string("SE EXCEPTION_IN_PAGE_ERROR") + kWhere +
                "Invalid operation: read at address 0x7ff6a1b30000\n"
                "Underlying NTSTATUS code that resulted in the exception 3221225628\n");
}

TEST(ExceptionText, LinesNeedTheParametersTheyShow) {
  // RaiseException lets anyone raise these codes with fewer parameters than the system gives.
  EXPECT_EQ(DescribeException(Facts(0xC0000005, 0)), std::string("SE EXCEPTION_ACCESS_VIOLATION") + kWhere);
  EXPECT_EQ(DescribeException(Facts(0xC0000006, 2)),
            std::string("SE EXCEPTION_IN_PAGE_ERROR") + kWhere + "Invalid operation: read at address 0x0\n");
}

}  // namespace
}  // namespace sl
