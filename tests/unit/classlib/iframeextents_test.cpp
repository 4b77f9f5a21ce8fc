// A frame's outer rectangle and its client window under a window manager's decorations: the
// published extents read safely, and the two directions of the arithmetic agreeing.
#include "iframeextents.hpp"

#include <gtest/gtest.h>

namespace {

using IFrameExtents::Extents;

TEST(FrameExtents, OnlyFourSaneValuesCount) {
  const unsigned long openbox[] = {1, 1, 23, 5}, more[] = {4, 4, 30, 4, 99};
  const unsigned long negative[] = {1, 0xFFFFFFFFul, 23, 5}, huge[] = {1, 1, 40000, 5};
  struct Case { const unsigned long* values; unsigned long count; Extents expected; } cases[] = {
      {openbox, 4, Extents{1, 1, 23, 5}},   // left, right, top, bottom in the property's order
      {more, 5, Extents{4, 4, 30, 4}},      // extra values are not extents
      {openbox, 3, Extents{}},              // a short list is none
      {nullptr, 4, Extents{}},              // no property
      {negative, 4, Extents{}},             // -1 stored as a CARDINAL
      {huge, 4, Extents{}},                 // past X's coordinates
  };
  for (const Case& c : cases)
    EXPECT_EQ(IFrameExtents::fromProperty(c.values, c.count), c.expected)
        << (c.values != nullptr ? c.values[2] : 0) << " count " << c.count;
}

TEST(FrameExtents, OuterAndClientRectanglesFollowEachOther) {
  const Extents none{}, openbox{1, 1, 23, 5}, lopsided{0, 7, 30, 2};
  // A splash-sized client in the middle of a 1280 x 1024 desktop, one near the origin, and one
  // whose frame starts left of and above the desktop.
  const IRectangle clients[] = {IRectangle(IPoint(409, 250), ISize(462, 514)),
                                IRectangle(IPoint(1, 23), ISize(1, 1)),
                                IRectangle(IPoint(-5, -3), ISize(100, 50))};
  for (const Extents& e : {none, openbox, lopsided}) {
    for (const IRectangle& client : clients) {
      IRectangle outer = IFrameExtents::outerFor(e, client);
      EXPECT_EQ(outer.width(), client.width() + e.left + e.right);
      EXPECT_EQ(outer.height(), client.height() + e.top + e.bottom);
      EXPECT_EQ(outer.topLeft(), IPoint(client.left() - e.left, client.top() - e.top));
      EXPECT_EQ(IFrameExtents::clientFor(e, outer), client) << e.top << " at " << client.left();
    }
  }
  // Without decorations the frame is its client window.
  IRectangle some(IPoint(12, 34), ISize(56, 78));
  EXPECT_EQ(IFrameExtents::outerFor(none, some), some);
  EXPECT_EQ(IFrameExtents::clientFor(none, some), some);
}

TEST(FrameExtents, AnOuterRectangleCentredOnTheDesktopPutsTheClientInsideIt) {
  // The launcher centres the outer rectangle of a 462 x 514 client framed 1/1/23/5 on
  // 1280 x 1024: 464 x 542 from (408, 241); the client goes inside the decorations.
  const Extents openbox{1, 1, 23, 5};
  IRectangle outer(IPoint(408, 241), ISize(464, 542));
  EXPECT_EQ(IFrameExtents::clientFor(openbox, outer), IRectangle(IPoint(409, 264), ISize(462, 514)));
  // An outer rectangle too small for its decorations leaves an empty client, not a negative one.
  IRectangle tiny = IFrameExtents::clientFor(openbox, IRectangle(IPoint(10, 10), ISize(1, 20)));
  EXPECT_EQ(tiny, IRectangle(IPoint(11, 33), ISize(0, 0)));
}

} // namespace
