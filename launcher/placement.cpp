// The main window's placement arithmetic.
#include "placement.hpp"

namespace {
// The midpoint of two edges, computed in floating point and truncated toward zero.
long midpoint(long a, long b) { return static_cast<long>((a + b) * 0.5); }
} // namespace

IRectangle Placement::initialClientRect(const ISize& desktop, const ISize& clientMinimum) {
  long left = desktop.width() / 2, top = desktop.height() / 2;
  return IRectangle(left, top, left + clientMinimum.width(), top + clientMinimum.height());
}

IRectangle Placement::centred(const IRectangle& frame, const IRectangle& desktop) {
  long dx = midpoint(desktop.left(), desktop.right()) - midpoint(frame.left(), frame.right());
  long dy = midpoint(desktop.top(), desktop.bottom()) - midpoint(frame.top(), frame.bottom());
  return frame.movedBy(dx, dy);
}
