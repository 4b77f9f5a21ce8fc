// How the X11 message box's parts paint: the icon's look and shapes, the text's lines and a
// button's border, focus mark and label, from the named measures alone.
#include "x11/imsgboxpaint.hpp"

namespace IMessageBoxPaint {

namespace {

using M = Measures;
using C = Colors;

// The square's last pixel, where its shapes end.
constexpr long last = M::iconSize - 1;

} // namespace

IconLook iconLook(const std::string& kind) {
  if (kind == "warning")
    return {true, C::warningFill, C::warningOutline, "!", C::onTriangle};
  if (kind == "error")
    return {false, C::errorDisc, C::errorDisc, nullptr, C::onDisc};
  return {false, C::infoDisc, C::infoDisc, kind == "question" ? "?" : "i", C::onDisc};
}

IRectangle iconDisc() { return IRectangle(IPoint(0, 0), ISize(last, last)); }

std::array<IPoint, 3> warningTriangle() {
  const long base = last - M::triangleMargin;
  return {IPoint(M::iconSize / 2, M::triangleMargin), IPoint(last, base), IPoint(0, base)};
}

std::array<Stroke, 2> errorCross() {
  const long start = M::crossInset, end = last - M::crossInset;
  return {Stroke{IPoint(start, start), IPoint(end, end)}, Stroke{IPoint(end, start), IPoint(start, end)}};
}

IPoint centredBaseline(const ISize& area, long textWidth, long ascent, long descent) {
  return IPoint((area.width() - textWidth) / 2, (area.height() + ascent - descent) / 2);
}

IPoint labelOrigin(const ISize& button, long labelWidth, long ascent, long descent, bool pressed) {
  const IPoint centred = centredBaseline(button, labelWidth, ascent, descent);
  const long shift = pressed ? M::pressedShift : 0;
  return IPoint(centred.x() + shift, centred.y() + shift);
}

IPoint lineOrigin(std::size_t index, long areaWidth, long lineWidth, long ascent, long lineHeight,
                  bool right) {
  return IPoint(right ? areaWidth - lineWidth : 0,
                ascent + M::textTop + static_cast<long>(index) * lineHeight);
}

IRectangle outline(const ISize& part, long inset) {
  return IRectangle(inset, inset, part.width() - inset, part.height() - inset);
}

IRectangle buttonBorder(const ISize& button, bool isDefault) {
  return outline(button, isDefault ? M::defaultBorderInset : 0);
}

IRectangle focusMark(const ISize& button) { return outline(button, M::focusInset); }

} // namespace IMessageBoxPaint
