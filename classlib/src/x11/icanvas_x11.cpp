// X11 driver of canvases: a child window that shows its background colour behind its children.
#include "icanvas.hpp"
#include "x11/ix11window.hpp"

namespace {

class CanvasDriver : public IX11::Driver<IWindowDriver> {
public:
  CanvasDriver(IWindow& canvas, IWindow& parent, const IRectangle& initial)
      : Driver(canvas, IX11::parentOf(parent, "ICanvas::ICanvas(...)"), initial, 0, "canvas",
               "ICanvas", "ICanvas::ICanvas(...)") {}
};

} // namespace

std::unique_ptr<IWindowDriver> IWindowDriver::newCanvas(IWindow& canvas, IWindow& parent,
                                                        const IRectangle& initial) {
  return std::unique_ptr<IWindowDriver>(new CanvasDriver(canvas, parent, initial));
}
