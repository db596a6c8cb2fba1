#include "install/startup_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(DefaultInstallDir, JoinsProgramFilesOnce) {
  EXPECT_EQ(DefaultInstallDir("C:\\Program Files"), "C:\\Program Files\\Oskelon\\Bao Lua");
  EXPECT_EQ(DefaultInstallDir("D:\\"), "D:\\Oskelon\\Bao Lua");
  EXPECT_EQ(DefaultInstallDir(""), "");
}

}  // namespace
}  // namespace sl
