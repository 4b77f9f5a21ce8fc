// Mouse pointers of the X11 backend made from the toolkit's icons.
#include "x11/ix11pointer.hpp"

#include <X11/cursorfont.h>
#include <X11/extensions/Xrender.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// X coordinates and sizes are 16-bit.
unsigned extent(long value) { return static_cast<unsigned>(std::max(1L, std::min(32767L, value))); }

} // namespace

Cursor IX11::pointerFor(Connection& c, const IImage& image) {
  static std::map<const IImage*, Cursor> made;
  auto found = made.find(&image);
  if (found != made.end())
    return found->second;
  Display* d = c.display;
  Cursor cursor = None;
  int eventBase = 0, errorBase = 0;
  XRenderPictFormat* format = XRenderQueryExtension(d, &eventBase, &errorBase)
                                  ? XRenderFindStandardFormat(d, PictStandardARGB32)
                                  : nullptr;
  if (format != nullptr && image.width > 0 && image.height > 0 &&
      image.pixels.size() >= static_cast<std::size_t>(image.width * image.height)) {
    unsigned w = extent(image.width), h = extent(image.height);
    // The picture format wants premultiplied alpha.
    std::vector<std::uint32_t> premultiplied(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < premultiplied.size(); ++i) {
      std::uint32_t p = image.pixels[i], a = p >> 24;
      auto mix = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255 << shift; };
      premultiplied[i] = (a << 24) | mix(16) | mix(8) | mix(0);
    }
    Pixmap pixmap = XCreatePixmap(d, c.root, w, h, 32);
    XImage* ximage = XCreateImage(d, DefaultVisual(d, c.screen), 32, ZPixmap, 0,
                                  reinterpret_cast<char*>(premultiplied.data()), w, h, 32, 0);
    if (ximage != nullptr) {
      std::uint32_t probe = 1;
      ximage->byte_order = *reinterpret_cast<unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
      GC gc = XCreateGC(d, pixmap, 0, nullptr);
      XPutImage(d, pixmap, gc, ximage, 0, 0, 0, 0, w, h);
      XFreeGC(d, gc);
      ximage->data = nullptr; // the vector's
      XDestroyImage(ximage);
      Picture picture = XRenderCreatePicture(d, pixmap, format, 0, nullptr);
      cursor = XRenderCreateCursor(d, picture, w / 2, h / 2);
      XRenderFreePicture(d, picture);
    }
    XFreePixmap(d, pixmap);
  }
  if (cursor == None) // no XRender: the core font's busy pointer stands in for the picture
    cursor = XCreateFontCursor(d, XC_watch);
  made[&image] = cursor;
  return cursor;
}

