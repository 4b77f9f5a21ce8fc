// The main window's placement: centred on the desktop with the platform's truncation.
#include "placement.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Placement, CentresWithTruncatedMidpoints) {
  // A 501-pixel frame whose left edge the first sizing put at 640 on a 1280 x 1024 desktop:
  // its centre 890.5 truncates to 890, the desktop's is 640, so it moves by -250.
  IRectangle desktop(0, 0, 1280, 1024);
  IRectangle frame(640, 512, 1141, 900);
  IRectangle placed = Placement::centred(frame, desktop);
  EXPECT_EQ(placed.left(), 390);
  EXPECT_EQ(placed.right(), 891);
  EXPECT_EQ(placed.top(), 512 - (706 - 512));
  EXPECT_EQ(placed.size(), frame.size());
}

TEST(Placement, FirstSizingAndDesktopsAwayFromTheOrigin) {
  EXPECT_EQ(Placement::initialClientRect(ISize(1281, 1023), ISize(460, 600)),
            IRectangle(640, 511, 1100, 1111));
  // A primary monitor to the right of another: the frame lands on it, centred.
  IRectangle primary(1024, 0, 2304, 1024);
  IRectangle placed = Placement::centred(IRectangle(0, 0, 500, 400), primary);
  EXPECT_EQ(placed, IRectangle(1414, 312, 1914, 712));
  // Larger than the desktop: negative coordinates, no clamping.
  placed = Placement::centred(IRectangle(0, 0, 1000, 900), IRectangle(0, 0, 801, 600));
  EXPECT_EQ(placed, IRectangle(-100, -150, 900, 750));
}

} // namespace
