#include "base/build_info.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(BuildInfo, VersionOfTheBuildAsTextAndAsOneInteger) {
  EXPECT_STREQ(OwnVersionText(), "12.3.4.5");
  EXPECT_EQ(OwnVersionNumber(), 12345);  // what the self-update names "12.3.4.5"
}

}  // namespace
}  // namespace sl
