// X11 backend of the window toolkit's platform calls: the desktop (the primary monitor), the
// object window, window texts and text measurement.
#include <X11/Xlib.h>

#include "iexcept.hpp"
#include "x11/ix11window.hpp"

IWindowHandle IWindowPlatform::desktopHandle() {
  IX11::Connection* connection = IX11::shared();
  return connection != nullptr ? IWindowHandle(connection->root) : IWindowHandle();
}

IRectangle IWindowPlatform::desktopRect() {
  return IX11::primaryMonitor(IX11::requireDisplay("IWindow::desktopWindow()", __LINE__));
}

IWindowHandle IWindowPlatform::newObjectWindow() {
  IX11::Connection& c = IX11::requireDisplay("IWindow::objectWindow()", __LINE__);
  // Never mapped: it only receives posted events.
  XSetWindowAttributes attributes;
  attributes.event_mask = 0;
  Window window = XCreateWindow(c.display, c.root, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                CWEventMask, &attributes);
  if (window == None)
    IX11::raiseCreateFailure("XCreateWindow", "IWindow::objectWindow()", __LINE__);
  IX11::setClass(c, window, "object", "IObjectWindow");
  XFlush(c.display);
  return IWindowHandle(window);
}

IString IWindowPlatform::windowText(const IWindowHandle& handle) {
  IX11::Connection* connection = IX11::shared();
  if (connection == nullptr || !handle.isValid())
    return IString();
  return IString(IX11::windowName(*connection, static_cast<Window>(handle.asUnsigned())).c_str());
}

ISize IWindowPlatform::textExtent(const IString& text, const IFont& font) {
  IX11::Drawing* drawing = IX11::sharedDrawing();
  if (drawing == nullptr)
    return ISize();
  const IX11::Face opened = drawing->face(font);
  return ISize(drawing->textWidth(opened, IX11::toUtf8(text)), IX11::Drawing::lineHeight(opened));
}

long IWindowPlatform::lineHeight(const IFont& font) {
  IX11::Drawing* drawing = IX11::sharedDrawing();
  return drawing != nullptr ? IX11::Drawing::lineHeight(drawing->face(font)) : 0;
}

