#include "ui/shell_win.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(GdiplusSession, PicturesWorkWhileOneLivesAndSessionsFollowEachOther) {
  for (int round = 0; round < 2; ++round) {
    GdiplusSession session;
    ASSERT_TRUE(session.started());
    Gdiplus::Bitmap picture(2, 2, PixelFormat32bppARGB);
    EXPECT_EQ(picture.GetLastStatus(), Gdiplus::Ok);
  }
}

}  // namespace
}  // namespace sl
