#include "base/path.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(Path, JoinAddsOneBackslash) {
  EXPECT_EQ(JoinPath("C:\\", "version.dat"), "C:\\version.dat");
  EXPECT_EQ(JoinPath("D:\\SL", "version.dat"), "D:\\SL\\version.dat");
}

}  // namespace
}  // namespace sl
