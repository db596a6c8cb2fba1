#include "store/path_helpers.h"

#include <gtest/gtest.h>

#include "store/local_paths.h"

namespace sl {
namespace {

TEST(PathHelpers, ConcatAndSubstringEdges) {
  EXPECT_FALSE(ConcatAlloc("", "").has_value());
  EXPECT_EQ(ConcatAlloc("", "b"), "b");
  EXPECT_EQ(ConcatAlloc("a", ""), "a");
  EXPECT_EQ(Substring("abcdef", 4, 100), "ef");
  EXPECT_EQ(Substring("abcdef", 5, SIZE_MAX), "f");  // start + count must not wrap
  EXPECT_FALSE(Substring("abcdef", 6, 1).has_value());
}

TEST(PathHelpers, TrimRemovesOneBackslash) {
  EXPECT_EQ(TrimOneTrailingBackslash("D:\\SL\\\\"), "D:\\SL\\");
  EXPECT_EQ(TrimOneTrailingBackslash("C:\\"), "C:");
  EXPECT_EQ(TrimOneTrailingBackslash(""), "");
}

TEST(PathHelpers, FileNamesFollowTheExecutable) {
  const std::string saved = Paths().exeBaseName;
  Paths().exeBaseName = "Stormline_VN";
  EXPECT_EQ(MakeZipName(1025), "Stormline_VN_1025.zip");
  EXPECT_EQ(MakeBinName(), "Stormline_VN.bin");
  Paths().exeBaseName = saved;
}

}  // namespace
}  // namespace sl
