// The X11 message box's parts painting themselves: the icon's shapes and letter, the text's
// lines and the buttons with their borders, focus mark and labels.
#include "x11/imsgboxparts.hpp"

#include <algorithm>
#include <utility>

#include "x11/imsgboxpaint.hpp"

namespace IMessageBoxParts {

namespace {

using M = IMessageBoxPaint::Measures;
using C = IMessageBoxPaint::Colors;

// X measures arcs in 64ths of a degree.
const int fullCircle = 360 * 64;

// X outlines a w x h rectangle one pixel wider and higher than it is asked for.
void drawOutline(Display* display, Window window, GC gc, const IRectangle& pixels) {
  XDrawRectangle(display, window, gc, static_cast<int>(pixels.left()), static_cast<int>(pixels.top()),
                 static_cast<unsigned>(pixels.width() - 1), static_cast<unsigned>(pixels.height() - 1));
}

XPoint xPoint(const IPoint& point) {
  return XPoint{static_cast<short>(point.x()), static_cast<short>(point.y())};
}

} // namespace

Part::Part(Tools& tools, Window parent, const IRectangle& rect, const IColor& background, long events,
           const std::string& name, const char* instance, const char* className)
    : tools_(tools), display_(tools.connection.display), size_(rect.size()) {
  XSetWindowAttributes attributes;
  attributes.background_pixel = tools.drawing.pixel(background);
  attributes.event_mask = events;
  window_ = XCreateWindow(display_, parent, static_cast<int>(rect.left()), static_cast<int>(rect.top()),
                          static_cast<unsigned>(std::max(1L, rect.width())),
                          static_cast<unsigned>(std::max(1L, rect.height())), 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  IX11::setName(tools.connection, window_, name);
  IX11::setClass(tools.connection, window_, instance, className);
  draw_ = tools.drawing.createDraw(window_);
}

Part::~Part() {
  if (draw_ != nullptr)
    XftDrawDestroy(draw_);
}

IconPart::IconPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& kind)
    : Part(tools, parent, rect, C::face, ExposureMask, "icon:" + kind, "icon", "Static"), kind_(kind) {}

void IconPart::paint() {
  Display* d = display_;
  GC gc = tools_.gc;
  IX11::Drawing& drawing = tools_.drawing;
  const IMessageBoxPaint::IconLook look = IMessageBoxPaint::iconLook(kind_);
  XSetForeground(d, gc, drawing.pixel(look.fill));
  if (look.triangle) {
    const std::array<IPoint, 3> corners = IMessageBoxPaint::warningTriangle();
    XPoint triangle[3] = {xPoint(corners[0]), xPoint(corners[1]), xPoint(corners[2])};
    XFillPolygon(d, window_, gc, triangle, 3, Convex, CoordModeOrigin);
    XSetForeground(d, gc, drawing.pixel(look.outline));
    XPoint closed[4] = {triangle[0], triangle[1], triangle[2], triangle[0]};
    XDrawLines(d, window_, gc, closed, 4, CoordModeOrigin);
  } else {
    const IRectangle disc = IMessageBoxPaint::iconDisc();
    XFillArc(d, window_, gc, static_cast<int>(disc.left()), static_cast<int>(disc.top()),
             static_cast<unsigned>(disc.width()), static_cast<unsigned>(disc.height()), 0, fullCircle);
  }
  if (look.glyph == nullptr) {
    XSetForeground(d, gc, drawing.pixel(look.mark));
    XSetLineAttributes(d, gc, static_cast<unsigned>(M::crossWidth), LineSolid, CapRound, JoinRound);
    for (const IMessageBoxPaint::Stroke& stroke : IMessageBoxPaint::errorCross())
      XDrawLine(d, window_, gc, static_cast<int>(stroke.from.x()), static_cast<int>(stroke.from.y()),
                static_cast<int>(stroke.to.x()), static_cast<int>(stroke.to.y()));
    XSetLineAttributes(d, gc, static_cast<unsigned>(M::borderWidth), LineSolid, CapButt, JoinMiter);
    return;
  }
  // Without a font for it the letter is left out: the shape still tells the kind.
  const IX11::Face font = tools_.glyphFont;
  if (!font)
    return;
  const std::string glyph = look.glyph;
  const IPoint at = IMessageBoxPaint::centredBaseline(ISize(M::iconSize, M::iconSize),
                                                      drawing.textWidth(font, glyph), font.ascent(),
                                                      font.descent());
  drawing.drawText(draw_, look.mark, font, at.x(), at.y(), glyph, 0, M::iconSize);
}

TextPart::TextPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& text,
                   std::vector<std::string> lines, long lineHeight, bool right)
    : Part(tools, parent, rect, C::face, ExposureMask, text, "text", "Static"),
      lines_(std::move(lines)), lineHeight_(lineHeight), right_(right) {}

void TextPart::paint() {
  const IX11::Face font = tools_.font;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const IPoint at = IMessageBoxPaint::lineOrigin(i, size_.width(), tools_.drawing.textWidth(font, lines_[i]),
                                                   font.ascent(), lineHeight_, right_);
    tools_.drawing.drawText(draw_, C::text, font, at.x(), at.y(), lines_[i], 0, size_.width());
  }
}

ButtonPart::ButtonPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& label)
    : Part(tools, parent, rect, C::buttonFace, ExposureMask | ButtonPressMask | ButtonReleaseMask,
           label, "button", "Button"),
      label_(label) {}

void ButtonPart::setDefault(bool isDefault) {
  isDefault_ = isDefault;
  IX11::setClass(tools_.connection, window_, isDefault ? "default" : "button", "Button");
}

void ButtonPart::paint() {
  Display* d = display_;
  GC gc = tools_.gc;
  IX11::Drawing& drawing = tools_.drawing;
  XClearWindow(d, window_);
  XSetForeground(d, gc, drawing.pixel(isDefault_ ? C::defaultBorder : C::border));
  XSetLineAttributes(d, gc, static_cast<unsigned>(isDefault_ ? M::defaultBorderWidth : M::borderWidth),
                     LineSolid, CapButt, JoinMiter);
  drawOutline(d, window_, gc, IMessageBoxPaint::buttonBorder(size_, isDefault_));
  if (isDefault_) {
    XSetForeground(d, gc, drawing.pixel(C::focusMark));
    XSetLineAttributes(d, gc, static_cast<unsigned>(M::borderWidth), LineOnOffDash, CapButt, JoinMiter);
    char dashes[2] = {static_cast<char>(M::focusDash), static_cast<char>(M::focusDash)};
    XSetDashes(d, gc, 0, dashes, 2);
    drawOutline(d, window_, gc, IMessageBoxPaint::focusMark(size_));
    XSetLineAttributes(d, gc, static_cast<unsigned>(M::borderWidth), LineSolid, CapButt, JoinMiter);
  }
  const IX11::Face font = tools_.font;
  const IPoint at = IMessageBoxPaint::labelOrigin(size_, drawing.textWidth(font, label_), font.ascent(),
                                                  font.descent(), pressed_);
  drawing.drawText(draw_, C::text, font, at.x(), at.y(), label_, 0, size_.width());
}

} // namespace IMessageBoxParts
