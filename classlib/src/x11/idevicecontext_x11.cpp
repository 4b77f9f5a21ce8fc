// X11 backend of the display device context: the density that the fonts are opened at, and the
// primary monitor's width.
#include "idevicecontext.hpp"

#include "iwindowdriver.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

// X has no device context to hold: the shared connection's drawing helper is the context.
IDeviceContext::IDeviceContext(const IWindowHandle& window)
    : window_(window), context_(IX11::sharedDrawing()) {}

IDeviceContext::~IDeviceContext() = default;

// The density that the drawing helper measured and opens every font at, so that layout and
// drawing agree; 96 without a display.
long IDeviceContext::horizontalDensity() const {
  return context_ != nullptr ? static_cast<IX11::Drawing*>(context_)->density() : 96;
}

// The desktop window is the primary monitor, as on Windows; 0 without a display, as
// GetDeviceCaps answers for a context it does not have.
long IDeviceContext::horizontalResolution() const {
  return context_ != nullptr ? IWindowPlatform::desktopRect().width() : 0;
}
