#include "store/install_state.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(InstallMode, FollowsTheRuleOrder) {
  EXPECT_EQ(GetInstallMode(0, 0, 0), MODE_NONE);
  EXPECT_EQ(GetInstallMode(0, 120, 100), MODE_NONE);  // unknown latest wins over everything
  EXPECT_EQ(GetInstallMode(120, 120, 100), MODE_CURRENT);
  EXPECT_EQ(GetInstallMode(120, 0, 100), MODE_FULL);
  EXPECT_EQ(GetInstallMode(120, 99, 100), MODE_FULL);
  EXPECT_EQ(GetInstallMode(120, 100, 100), MODE_PATCH);
  EXPECT_EQ(GetInstallMode(120, 130, 100), MODE_PATCH);  // newer than the server still patches
}

}  // namespace
}  // namespace sl
