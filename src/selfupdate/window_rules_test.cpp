#include "selfupdate/window_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(SelfUpdateWindow, LabelAndEndOfEachDownloadStatus) {
  struct Row {
    int32_t code;
    const char* prefix;
    bool ends;
  };
  const Row rows[] = {
      {1020, "Bắt đầu tải: ", false},
      {1011, "Đang tải: ", false},
      {1013, "Đã tải xong: ", true},
      {1018, "Gặp lỗi:: ", true},
  };
  for (const Row& row : rows) {
    const auto reaction = ReactionTo(row.code);
    ASSERT_TRUE(reaction.has_value()) << row.code;
    EXPECT_EQ(reaction->labelPrefix, row.prefix);
    EXPECT_EQ(reaction->ends, row.ends) << row.code;
  }
  // Codes a transfer never sends to its window change nothing, and in particular do not end it.
  for (int32_t code : {0, 1010, 1019, 1023}) EXPECT_FALSE(ReactionTo(code).has_value()) << code;
}

TEST(SelfUpdateWindow, PercentOnlyOnceTheTotalIsKnown) {
  EXPECT_DOUBLE_EQ(*DownloadPercent(524288, 1048576), 50.0);
  EXPECT_DOUBLE_EQ(*DownloadPercent(3000000000LL, 3000000000LL), 100.0);  // past 32 bits
  EXPECT_FALSE(DownloadPercent(10, 0).has_value());
}

}  // namespace
}  // namespace sl
