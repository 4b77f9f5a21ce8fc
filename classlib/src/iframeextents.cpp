// A frame's outer rectangle and its client window under a window manager's decorations.
#include "iframeextents.hpp"

#include <algorithm>

namespace {
const unsigned long kLargest = 32767; // X coordinates and sizes are 16-bit
} // namespace

IFrameExtents::Extents IFrameExtents::fromProperty(const unsigned long* values,
                                                   unsigned long count) {
  Extents extents;
  if (values == nullptr || count < 4)
    return extents;
  for (unsigned long i = 0; i < 4; ++i)
    if (values[i] > kLargest)
      return extents; // also what a negative value becomes in a CARDINAL
  extents.left = static_cast<long>(values[0]);
  extents.right = static_cast<long>(values[1]);
  extents.top = static_cast<long>(values[2]);
  extents.bottom = static_cast<long>(values[3]);
  return extents;
}

IRectangle IFrameExtents::outerFor(const Extents& extents, const IRectangle& client) {
  return IRectangle(client.left() - extents.left, client.top() - extents.top,
                    client.right() + extents.right, client.bottom() + extents.bottom);
}

IRectangle IFrameExtents::clientFor(const Extents& extents, const IRectangle& outer) {
  long left = outer.left() + extents.left, top = outer.top() + extents.top;
  long width = std::max(0L, outer.width() - extents.left - extents.right);
  long height = std::max(0L, outer.height() - extents.top - extents.bottom);
  return IRectangle(IPoint(left, top), ISize(width, height));
}
