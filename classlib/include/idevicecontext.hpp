// IDeviceContext: a window's display device context, for measuring the display.
#ifndef IDEVICECONTEXT_HPP
#define IDEVICECONTEXT_HPP

#include "ihandle.hpp"

// The device context of a window (GetDC), released when the object goes. For the desktop
// window it measures the primary monitor.
class IDeviceContext {
public:
  explicit IDeviceContext(const IWindowHandle& window);
  ~IDeviceContext();
  IDeviceContext(const IDeviceContext&) = delete;
  IDeviceContext& operator=(const IDeviceContext&) = delete;

  // Pixels per logical inch across the display (LOGPIXELSX).
  long horizontalDensity() const;
  // Width of the display in pixels (HORZRES).
  long horizontalResolution() const;

private:
  IWindowHandle window_;
  void* context_ = nullptr; // the platform's context, made by the backend
};

#endif
