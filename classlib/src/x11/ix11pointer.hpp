// Mouse pointers of the X11 backend made from the toolkit's icons.
#ifndef IX11POINTER_HPP
#define IX11POINTER_HPP

#include <X11/Xlib.h>

#include "iimage.hpp"
#include "x11/ix11display.hpp"

namespace IX11 {

// The pointer for image: its pixels as an ARGB cursor (XRender), the hot spot in the middle as
// Windows has it for a pointer made from an icon; the core font's busy pointer where XRender is
// missing. One per image: the images live as long as the process, and so do their pointers.
Cursor pointerFor(Connection& connection, const IImage& image);

} // namespace IX11

#endif
