#include "ui/speed_limit_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(SpeedLimitText, WholeMegabytesReadAsMegabytes) {
  EXPECT_EQ(SpeedLimitText(0), "Không giới hạn");
  EXPECT_EQ(SpeedLimitChoiceText(0), "Không giới hạn tốc độ");
  EXPECT_EQ(SpeedLimitText(512), "512 KB/s");
  EXPECT_EQ(SpeedLimitText(10240), "10 MB/s");
  EXPECT_EQ(SpeedLimitChoiceText(1536), "1536 KB/s");  // set from the command line
}

}  // namespace
}  // namespace sl
