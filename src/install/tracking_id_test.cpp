#include "install/tracking_id.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(FindTrackingId, FirstGuidOfTheFileNameOnly) {
  EXPECT_EQ(FindTrackingId("C:\\dl\\Stormline_VN_0a1B2c3D-4e5F-6789-abcd-EF0123456789.exe"),
            "0a1B2c3D-4e5F-6789-abcd-EF0123456789");
  EXPECT_EQ(FindTrackingId("x_11111111-2222-3333-4444-555555555555_aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee.exe"),
            "11111111-2222-3333-4444-555555555555");
  EXPECT_EQ(FindTrackingId("C:\\11111111-2222-3333-4444-555555555555\\Stormline_VN.exe"), "");
  EXPECT_EQ(FindTrackingId("/tmp/{11111111-2222-3333-4444-55555555555}.exe"), "");  // one digit short
  EXPECT_EQ(FindTrackingId(""), "");
}

}  // namespace
}  // namespace sl
