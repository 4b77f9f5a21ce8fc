// The hooks that each window-system backend (win32/, x11/) provides to the portable toolkit.
#ifndef IWINDOWPLATFORM_HPP
#define IWINDOWPLATFORM_HPP

#include <cstdint>
#include <memory>

#include "iwindow.hpp"

class IFrameWindow;

// The platform side of one frame window. The backend's driver creates the platform window,
// keeps it in step with the frame and destroys it; when the platform destroys the window on
// its own (a close), the driver tells the frame through windowGone().
class IWindowDriver {
public:
  virtual ~IWindowDriver();
  virtual void setText(const char* text) = 0;
  virtual void show(bool visible) = 0;

  // Made by the backend's factory; raises the windowing error when the window cannot be made.
  static std::unique_ptr<IWindowDriver> newFrame(IFrameWindow& frame, const char* title,
                                                 long width, long height);

protected:
  static void windowCreated(IFrameWindow& frame, const IWindowHandle& handle);
  static void windowGone(IFrameWindow& frame);
};

namespace IWindowPrivate {
// Whether window is the library's object window (without making one).
bool isObjectWindow(const IWindow* window);
} // namespace IWindowPrivate

namespace IWindowPlatform {
// The desktop's handle; 0 when there is no display to open (X11).
IWindowHandle desktopHandle();
// A new hidden object window; raises when it cannot be made.
IWindowHandle newObjectWindow();
// The desktop's size; raise when there is no display.
long desktopWidth();
long desktopHeight();
// The platform window's current text (empty for none).
IString windowText(const IWindowHandle& handle);
// Queues the event; false with the thread's last error code set when it cannot.
bool post(const IWindowHandle& handle, unsigned long eventId, std::uintptr_t p1, std::uintptr_t p2);
// The event loop of the calling thread.
void run();
void processEvents();
void exit();
} // namespace IWindowPlatform

#endif
