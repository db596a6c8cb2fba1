#include "install/run_progress.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(RunProgress, SpeedIsTheAverageOfTheLastFiveSecondsAndTimeLeftFollowsIt) {
  RunProgress progress;
  progress.Begin({1000, 9000});
  progress.SetFileBytes(0, 100);
  progress.Sample(10.0);
  EXPECT_FALSE(progress.Speed());
  progress.SetFileBytes(0, 600);
  progress.Sample(10.5);
  EXPECT_FALSE(progress.Speed());  // half a second says nothing yet
  progress.SetFileBytes(0, 1100);  // past its listed size: counted as whole
  progress.Sample(11.0);
  EXPECT_DOUBLE_EQ(*progress.Speed(), 900.0);
  EXPECT_EQ(*progress.SecondsLeft(), 10u);                        // 9000 left
  for (double t = 12.0; t <= 20.0; t += 1.0) progress.Sample(t);  // a stall
  EXPECT_DOUBLE_EQ(*progress.Speed(), 0.0);
  EXPECT_FALSE(progress.SecondsLeft());
  progress.SetFileBytes(1, 2000);
  progress.Sample(21.0);
  EXPECT_DOUBLE_EQ(*progress.Speed(), 400.0);  // from the point at 16 s
  progress.Sample(15.0);                       // a clock set back starts over
  EXPECT_FALSE(progress.Speed());
}

TEST(RunProgress, ShownShareNeverFallsAndNeverPassesTheTotal) {
  RunProgress progress;
  progress.Begin({1000, 0});
  progress.SetFileBytes(0, 500);
  EXPECT_EQ(progress.ShownDone(), 500u);
  EXPECT_EQ(progress.Total(), 1000u);
  progress.SetFileBytes(1, 0, 3000);  // an answer tells the unlisted file's length
  EXPECT_EQ(progress.Total(), 4000u);
  EXPECT_EQ(progress.ShownDone(), 2000u);  // the half shown before stays
  progress.SetFileBytes(0, 0);             // fetched again
  EXPECT_EQ(progress.ShownDone(), 2000u);
  progress.SetFileWhole(0);
  progress.SetFileBytes(1, 3000, 3000);
  EXPECT_EQ(progress.ShownDone(), 4000u);
  progress.SetFileBytes(7, 10);  // no such file
  EXPECT_EQ(progress.Total(), 4000u);
  progress.Begin({});
  EXPECT_EQ(progress.ShownDone(), 0u);
}

}  // namespace
}  // namespace sl
