// IDeviceContext on Windows: GetDC, GetDeviceCaps and ReleaseDC.
#include "idevicecontext.hpp"

#include <windows.h>

namespace {
HWND hwndOf(const IWindowHandle& handle) { return reinterpret_cast<HWND>(handle.asUnsigned()); }
} // namespace

IDeviceContext::IDeviceContext(const IWindowHandle& window)
    : window_(window), context_(GetDC(hwndOf(window))) {}

IDeviceContext::~IDeviceContext() {
  if (context_ != nullptr)
    ReleaseDC(hwndOf(window_), static_cast<HDC>(context_));
}

// A context that could not be had measures 0, as GetDeviceCaps answers for a bad context.
long IDeviceContext::horizontalDensity() const {
  return context_ != nullptr ? GetDeviceCaps(static_cast<HDC>(context_), LOGPIXELSX) : 0;
}

long IDeviceContext::horizontalResolution() const {
  return context_ != nullptr ? GetDeviceCaps(static_cast<HDC>(context_), HORZRES) : 0;
}
