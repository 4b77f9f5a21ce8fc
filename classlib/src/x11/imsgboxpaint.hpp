// How the X11 message box's parts paint: every measure and colour named once, and where the
// icon's shapes, the text's lines and a button's frame, focus mark and label go, as pure rules
// that need no server.
#ifndef IMSGBOXPAINT_HPP
#define IMSGBOXPAINT_HPP

#include <array>
#include <string>

#include "icolor.hpp"
#include "igeometry.hpp"
#include "imsgboxlogic.hpp"

namespace IMessageBoxPaint {

// The measures of the paint inside the parts, in pixels (where the parts go is BoxMeasures').
struct Measures {
  static constexpr long iconSize = IMessageBoxLogic::BoxMeasures::iconSize;
  // The icon's letter fills its square, whose size does not follow the density, so neither
  // does the letter's.
  static constexpr long glyphPixelSize = 22;
  // The warning triangle keeps this much of the square free above and below, so that its
  // outline shows.
  static constexpr long triangleMargin = 1;
  static constexpr long crossInset = 10;   // the error cross's ends from the square's edges
  static constexpr long crossWidth = 4;
  static constexpr long textTop = 1;       // the first baseline is the ascent plus this down
  static constexpr long borderWidth = 1;
  // The default button's border is wider and drawn one pixel in, so that it stays inside.
  static constexpr long defaultBorderWidth = 2;
  static constexpr long defaultBorderInset = 1;
  static constexpr long focusInset = 4;    // the dotted focus mark, from the button's edges
  static constexpr long focusDash = 1;     // its dots and the gaps between them
  static constexpr long pressedShift = 1;  // a pressed button's label moves right and down
};

// The colours of the box's paint.
struct Colors {
  static constexpr IColor face{0xF0, 0xF0, 0xF0};         // the box, behind the icon and text
  static constexpr IColor buttonFace{0xE1, 0xE1, 0xE1};
  static constexpr IColor text = IColor::black();         // the text and the buttons' labels
  static constexpr IColor border{0xAD, 0xAD, 0xAD};
  static constexpr IColor defaultBorder{0x00, 0x78, 0xD7};
  static constexpr IColor focusMark{0x40, 0x40, 0x40};
  static constexpr IColor errorDisc{0xD3, 0x2F, 0x2F};
  static constexpr IColor infoDisc{0x1E, 0x5A, 0xC8};     // information and question
  static constexpr IColor onDisc = IColor::white();       // a disc's letter or cross
  static constexpr IColor warningFill{0xF8, 0xC8, 0x00};
  static constexpr IColor warningOutline{0x80, 0x60, 0x00};
  static constexpr IColor onTriangle = IColor::black();   // the warning's letter
};

// What the icon of a kind ("error", "warning", "question", "information") shows: a disc, or
// for a warning an outlined triangle, with a letter on it, or for an error a cross. A kind it
// does not know looks like information.
struct IconLook {
  bool triangle;
  IColor fill;
  IColor outline;      // the triangle's; a disc has none
  const char* glyph;   // the letter; null for the error's cross
  IColor mark;         // the letter's or the cross's colour
};
IconLook iconLook(const std::string& kind);

// The shapes in the icon's square, in its coordinates: the disc's bounds (an X arc spans its
// width and height), the triangle's corners and the cross's two strokes.
IRectangle iconDisc();
std::array<IPoint, 3> warningTriangle();
struct Stroke {
  IPoint from, to;
};
std::array<Stroke, 2> errorCross();

// Where text of a width starts (its baseline's left end) to be centred in an area of a size,
// for a font of that ascent and descent: the icon's letter, a button's label.
IPoint centredBaseline(const ISize& area, long textWidth, long ascent, long descent);
// A button label's start: centred, and moved by pressedShift while the button is held down.
IPoint labelOrigin(const ISize& button, long labelWidth, long ascent, long descent, bool pressed);

// Where line number `index` of the text starts in an area `areaWidth` wide: at the left, or
// for right-to-left reading ending at the area's right edge.
IPoint lineOrigin(std::size_t index, long areaWidth, long lineWidth, long ascent, long lineHeight,
                  bool right);

// The pixels that an outline `inset` pixels in from the edges of a part of a size runs
// through, its corners included (X draws the outline of a w x h rectangle one pixel wider and
// higher: the painter asks for one less).
IRectangle outline(const ISize& part, long inset);
// A button's border, and its focus mark (the default, focused, button's only).
IRectangle buttonBorder(const ISize& button, bool isDefault);
IRectangle focusMark(const ISize& button);

} // namespace IMessageBoxPaint

#endif
