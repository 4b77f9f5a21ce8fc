// The X11 tests' own connection to the display: what the X server holds for the windows under
// test, as another client sees it.
#ifndef X11PROBE_HPP
#define X11PROBE_HPP

#include <X11/Xlib.h>

#include <vector>

#include "igeometry.hpp"

class X11Probe {
public:
  X11Probe() : d_(XOpenDisplay(nullptr)) {}
  ~X11Probe() {
    if (d_ != nullptr)
      XCloseDisplay(d_);
  }
  X11Probe(const X11Probe&) = delete;
  X11Probe& operator=(const X11Probe&) = delete;

  Display* display() const { return d_; }
  Window root() const { return DefaultRootWindow(d_); }
  Atom atom(const char* name) const { return XInternAtom(d_, name, False); }

  // The window's rectangle on the root window.
  IRectangle onRoot(Window w) const {
    XWindowAttributes a;
    int x = 0, y = 0;
    Window child;
    if (!XGetWindowAttributes(d_, w, &a) || !XTranslateCoordinates(d_, w, root(), 0, 0, &x, &y, &child))
      return IRectangle();
    return IRectangle(IPoint(x, y), ISize(a.width, a.height));
  }
  // A property of 32-bit items (atoms, windows, cardinals); empty when it is not there.
  std::vector<unsigned long> property(Window w, const char* name, Atom type) const {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<unsigned long> result;
    if (XGetWindowProperty(d_, w, atom(name), 0, 1 << 20, False, type, &actual, &format, &count,
                           &after, &data) == Success && data != nullptr && format == 32) {
      const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
      result.assign(values, values + count);
    }
    if (data != nullptr)
      XFree(data);
    return result;
  }

protected:
  Display* d_;
};

#endif
