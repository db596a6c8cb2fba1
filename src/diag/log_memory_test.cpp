#include <gtest/gtest.h>

#include "diag/log.h"

namespace sl {
namespace {

TEST(LogCapture, RecordsWhichOverloadWasCalledAndEmptiesOnTake) {
  WriteLog("Start", 0);
  WriteLog("Open ", 5, "");
  const std::vector<CapturedLogEntry> expected = {{"Start", 0, "", false}, {"Open ", 5, "", true}};
  EXPECT_EQ(TakeCapturedLog(), expected);
  EXPECT_TRUE(TakeCapturedLog().empty());
}

}  // namespace
}  // namespace sl
