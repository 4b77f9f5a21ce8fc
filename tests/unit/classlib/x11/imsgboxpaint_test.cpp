// How the X11 message box's parts paint: the icon of each kind, its shapes within the square,
// a button's border and focus mark, and where labels and lines of text start.
#include "x11/imsgboxpaint.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using namespace IMessageBoxPaint;
using M = Measures;
using C = Colors;

TEST(MessageBoxPaint, EachKindHasItsIconAndAnUnknownOneLooksLikeInformation) {
  struct Case { const char* kind; bool triangle; IColor fill; const char* glyph; IColor mark; } cases[] = {
      {"error", false, C::errorDisc, nullptr, C::onDisc},
      {"warning", true, C::warningFill, "!", C::onTriangle},
      {"question", false, C::infoDisc, "?", C::onDisc},
      {"information", false, C::infoDisc, "i", C::onDisc},
      {"", false, C::infoDisc, "i", C::onDisc},
  };
  for (const Case& c : cases) {
    const IconLook look = iconLook(c.kind);
    EXPECT_EQ(look.triangle, c.triangle) << c.kind;
    EXPECT_EQ(look.fill, c.fill) << c.kind;
    EXPECT_EQ(look.mark, c.mark) << c.kind;
    EXPECT_TRUE(c.glyph == nullptr ? look.glyph == nullptr
                                   : look.glyph != nullptr && std::strcmp(look.glyph, c.glyph) == 0)
        << c.kind;
  }
  EXPECT_EQ(iconLook("warning").outline, C::warningOutline);
}

TEST(MessageBoxPaint, TheIconsShapesStayInTheSquareAndTheCrossInTheDisc) {
  const long last = M::iconSize - 1;
  EXPECT_EQ(iconDisc(), IRectangle(0, 0, last, last));
  const auto triangle = warningTriangle();
  EXPECT_EQ(triangle[0], IPoint(M::iconSize / 2, 1));   // the apex, centred, its outline inside
  EXPECT_EQ(triangle[1], IPoint(last, last - 1));
  EXPECT_EQ(triangle[2], IPoint(0, last - 1));
  // The strokes mirror each other, and with their round caps stay well inside the disc.
  const auto cross = errorCross();
  EXPECT_EQ(cross[0].from, IPoint(10, 10));
  EXPECT_EQ(cross[0].to, IPoint(last - 10, last - 10));
  EXPECT_EQ(cross[1].from, IPoint(cross[0].to.x(), cross[0].from.y()));
  EXPECT_EQ(cross[1].to, IPoint(cross[0].from.x(), cross[0].to.y()));
  const double centre = last / 2.0, reach = std::hypot(10 - centre, 10 - centre) + M::crossWidth / 2.0;
  EXPECT_LT(reach, last / 2.0);
}

TEST(MessageBoxPaint, ButtonBordersAndTheFocusMarkInsideThem) {
  const ISize button(75, 27);
  EXPECT_EQ(buttonBorder(button, false), IRectangle(0, 0, 75, 27)); // the outermost pixels
  EXPECT_EQ(buttonBorder(button, true), IRectangle(1, 1, 74, 26));  // the wide border stays in
  EXPECT_EQ(focusMark(button), IRectangle(4, 4, 71, 23));
  // A pixel of face between the wide border and the dots.
  EXPECT_GT(M::focusInset, M::defaultBorderInset + M::defaultBorderWidth);
}

TEST(MessageBoxPaint, LabelsCentredAndPressedOnesMovedTextLinesDownTheArea) {
  EXPECT_EQ(centredBaseline(ISize(32, 32), 12, 20, 5), IPoint(10, 23));
  EXPECT_EQ(labelOrigin(ISize(75, 27), 21, 11, 3, false), IPoint(27, 17));
  EXPECT_EQ(labelOrigin(ISize(75, 27), 21, 11, 3, true), IPoint(28, 18));
  EXPECT_EQ(labelOrigin(ISize(75, 27), 95, 11, 3, false).x(), -10); // too wide: cut on both sides
  EXPECT_EQ(lineOrigin(0, 300, 120, 11, 16, false), IPoint(0, 12));
  EXPECT_EQ(lineOrigin(2, 300, 120, 11, 16, false), IPoint(0, 44));
  EXPECT_EQ(lineOrigin(2, 300, 120, 11, 16, true), IPoint(180, 44)); // ends at the right edge
}

} // namespace
