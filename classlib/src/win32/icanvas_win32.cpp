// Win32 canvases: a child window of the library's canvas class that shows its background colour
// behind its children.
#include "win32/iwin32window.hpp"

namespace {

using namespace IWin32;

class Win32CanvasDriver : public Driver<IWindowDriver> {
public:
  Win32CanvasDriver(IWindow& canvas, IWindow& parent, const IRectangle& initial) : Driver(canvas) {
    create(0, canvasClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, placementOf(initial),
           hwndOf(parent.handle()), "ICanvas::ICanvas(unsigned long,IWindow*,IWindow*,const IRectangle&)",
           __LINE__);
  }
};

} // namespace

std::unique_ptr<IWindowDriver> IWindowDriver::newCanvas(IWindow& canvas, IWindow& parent,
                                                        const IRectangle& initial) {
  return std::unique_ptr<IWindowDriver>(new Win32CanvasDriver(canvas, parent, initial));
}
