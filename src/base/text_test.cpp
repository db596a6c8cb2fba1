#include <gtest/gtest.h>

#include "base/text.h"

namespace sl {
namespace {

TEST(DecodeUtf8, TakesOnlyWellFormedSequences) {
  EXPECT_EQ(DecodeUtf8("A").value, U'A');
  EXPECT_EQ(DecodeUtf8("\xE1\xBA\xA1").length, 3u);  // ạ
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x94\xA5").value, U'\U0001F525');
  for (const char* bad :
       {"", "\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE1\xBA"}) {
    EXPECT_EQ(DecodeUtf8(bad).length, 0u) << bad;
  }
  EXPECT_TRUE(IsValidUtf8("Bão Lửa"));
  EXPECT_FALSE(IsValidUtf8("B\xE3o"));
}

TEST(DecimalParsers, RefuseWhatDoesNotFit) {
  EXPECT_EQ(LeadingInt32(" \t+125abc"), 125);
  EXPECT_EQ(LeadingInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(LeadingInt32("2147483648"), std::nullopt);
  EXPECT_EQ(LeadingInt32("99999999999999999999999"), std::nullopt);
  EXPECT_EQ(LeadingInt32("- 5"), std::nullopt);
  EXPECT_EQ(ParseDecimalDigits("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(ParseDecimalDigits("18446744073709551616"), std::nullopt);
  EXPECT_EQ(ParseDecimalDigits("+1"), std::nullopt);
  EXPECT_EQ(ParseDecimalDigits(""), std::nullopt);
}

}  // namespace
}  // namespace sl
