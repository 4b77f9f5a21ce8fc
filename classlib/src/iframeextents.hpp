// The arithmetic between a frame's outer rectangle and its client window when a window manager
// draws the decorations around the client window, as pure functions.
#ifndef IFRAMEEXTENTS_HPP
#define IFRAMEEXTENTS_HPP

#include "igeometry.hpp"

namespace IFrameExtents {

// How far the decorations reach past the client window on each side, in pixels.
struct Extents {
  long left = 0, right = 0, top = 0, bottom = 0;
  bool operator==(const Extents& o) const noexcept {
    return left == o.left && right == o.right && top == o.top && bottom == o.bottom;
  }
  bool operator!=(const Extents& o) const noexcept { return !(*this == o); }
};

// The extents a window manager published: four values in the order left, right, top, bottom,
// each from 0 to X's largest coordinate. Anything else (a short list, a negative or absurd
// value) counts as no decorations: the frame is then placed as its client window.
Extents fromProperty(const unsigned long* values, unsigned long count);

// The outer rectangle of a client window at client (desktop coordinates).
IRectangle outerFor(const Extents& extents, const IRectangle& client);

// The client window of an outer rectangle: its corner inside the decorations and its size what
// they leave (never below 0). Frames ask for their position with north-west gravity: the
// position they give the window manager is the outer rectangle's corner, where the manager puts
// its frame's corner, and the client window lands at this rectangle's corner inside it.
IRectangle clientFor(const Extents& extents, const IRectangle& outer);

} // namespace IFrameExtents

#endif
