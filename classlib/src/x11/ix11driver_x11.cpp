// The X11 backend's window table, which routes X events to their windows' drivers, and the
// driver base that the frame, canvas and control drivers share.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "iexcept.hpp"
#include "x11/ix11pointer.hpp"
#include "x11/ix11window.hpp"

namespace {

// Every X window of the toolkit with its driver. Only the window thread makes and destroys
// windows, but a posting thread may look while it does.
struct Table {
  std::mutex lock;
  std::unordered_map<Window, IX11::DriverBase*> drivers;
};

Table& table() {
  static Table* instance = new Table; // never destroyed: windows may outlive statics
  return *instance;
}

// X coordinates and sizes are 16-bit.
int coordinate(long value) { return static_cast<int>(std::max(-32768L, std::min(32767L, value))); }
unsigned extent(long value) { return static_cast<unsigned>(std::max(1L, std::min(32767L, value))); }

} // namespace

// --- the driver base ---------------------------------------------------------------------------

IX11::Connection& IX11::requireDisplay(const char* function, unsigned long line) {
  Connection* connection = shared();
  if (connection == nullptr || sharedDrawing() == nullptr)
    raiseNoDisplay(function, line);
  return *connection;
}

void IX11::raiseCreateFailure(const char* xcall, const char* function, unsigned long line) {
  errno = ENOMEM;
  raiseWindowingError(xcall, IThrowLocation("iwindow", function, line),
                      IException::outOfWindowResource);
}

::Window IX11::parentOf(const IWindow& parent, const char* function) {
  if (!parent.handle().isValid()) {
    errno = EINVAL; // as CreateWindowEx fails for a parent that does not exist
    raiseWindowingError("XCreateWindow", IThrowLocation("iwindow", function, __LINE__),
                        IException::invalidParameter);
  }
  return static_cast<::Window>(parent.handle().asUnsigned());
}

IX11::DriverBase::DriverBase(IWindow& owner, ::Window parent, const IRectangle& initial,
                             long eventMask, const char* instance, const char* className,
                             const char* function)
    : connection_(requireDisplay(function, __LINE__)), drawing_(*sharedDrawing()),
      display_(connection_.display), parent_(parent != None ? parent : connection_.root),
      rect_(initial), owner_(owner) {
  XSetWindowAttributes attributes;
  attributes.background_pixel = drawing_.pixel(IColor::white());
  attributes.event_mask = eventMask;
  xwindow_ = XCreateWindow(display_, parent_, coordinate(initial.left()), coordinate(initial.top()),
                           extent(initial.width()), extent(initial.height()), 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  if (xwindow_ == None)
    raiseCreateFailure("XCreateWindow", function, __LINE__);
  setClass(connection_, xwindow_, instance, className);
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  t.drivers[xwindow_] = this;
}

IX11::DriverBase::~DriverBase() { release(); }

IX11::DriverBase* IX11::DriverBase::find(::Window window) {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto found = t.drivers.find(window);
  return found == t.drivers.end() ? nullptr : found->second;
}

void IX11::DriverBase::handleEvent(XEvent&) {}

bool IX11::DriverBase::takesInput() const {
  for (const DriverBase* d = this; d != nullptr; d = find(d->parent_))
    if (!d->enabled_)
      return false;
  return true;
}

// Lets go of the X window and what was made for it (the window itself is gone or going).
void IX11::DriverBase::release() {
  if (draw_ != nullptr)
    XftDrawDestroy(draw_);
  draw_ = nullptr;
  if (pixmap_ != None)
    XFreePixmap(display_, pixmap_);
  pixmap_ = None;
  if (xwindow_ != None) {
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto found = t.drivers.find(xwindow_);
    if (found != t.drivers.end() && found->second == this)
      t.drivers.erase(found);
  }
  xwindow_ = None;
  mapped_ = false;
}

void IX11::DriverBase::lose() {
  if (xwindow_ == None)
    return;
  release();
  gone();
}

void IX11::DriverBase::destroyWindow(bool tell) {
  if (xwindow_ == None)
    return;
  // X destroys the children's windows with this one: their drivers are told.
  std::vector<DriverBase*> descendants;
  {
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    for (auto& entry : t.drivers) {
      for (::Window up = entry.second->parent_; up != None;) {
        if (up == xwindow_) {
          descendants.push_back(entry.second);
          break;
        }
        auto parent = t.drivers.find(up);
        up = parent == t.drivers.end() ? None : parent->second->parent_;
      }
    }
  }
  XDestroyWindow(display_, xwindow_);
  for (DriverBase* descendant : descendants)
    descendant->lose();
  release();
  XFlush(display_);
  if (tell)
    gone();
}

void IX11::DriverBase::setWindowText(const IString& text) {
  text_ = toUtf8(text);
  if (xwindow_ == None)
    return;
  setName(connection_, xwindow_, text_);
  render();
  XFlush(display_);
}

void IX11::DriverBase::updateMapping() {
  // X has no window of size 0: an empty one stays unmapped.
  bool wanted = shown_ && !rect_.isEmpty();
  if (xwindow_ == None || wanted == mapped_)
    return;
  if (wanted)
    XMapWindow(display_, xwindow_);
  else
    XUnmapWindow(display_, xwindow_);
  mapped_ = wanted;
}

void IX11::DriverBase::showWindow(bool visible) {
  shown_ = visible;
  updateMapping();
  XFlush(display_);
}

void IX11::DriverBase::focusWindow() {
  if (xwindow_ == None || !mapped_ || !takesInput())
    return;
  // A window that is not viewable (its frame hidden) cannot take the focus.
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display_, xwindow_, &attributes) && attributes.map_state == IsViewable)
    XSetInputFocus(display_, xwindow_, RevertToParent, CurrentTime);
  XFlush(display_);
}

void IX11::DriverBase::moveSizeWindow(const IRectangle& rect) {
  ISize old = rect_.size();
  rect_ = rect;
  if (xwindow_ == None)
    return;
  if (!rect.isEmpty())
    XMoveResizeWindow(display_, xwindow_, coordinate(rect.left()), coordinate(rect.top()),
                      extent(rect.width()), extent(rect.height()));
  updateMapping();
  if (rect.size() != old)
    render();
  XFlush(display_);
}

void IX11::DriverBase::setWindowLook(const IWindowLook& look) {
  look_ = look;
  if (xwindow_ == None)
    return;
  XSetWindowBackground(display_, xwindow_, drawing_.pixel(look.background));
  if (hasContent())
    render();
  else if (mapped_)
    XClearWindow(display_, xwindow_);
  XFlush(display_);
}

void IX11::DriverBase::setWindowPointer(const IPointerHandle& handle) {
  if (xwindow_ == None)
    return;
  const IImage* image = handle.isValid() ? IResourcePosix::iconOf(handle) : nullptr;
  if (image != nullptr)
    XDefineCursor(display_, xwindow_, IX11::pointerFor(connection_, *image));
  else
    XUndefineCursor(display_, xwindow_); // the parent's pointer shows through
  XFlush(display_);
}

void IX11::DriverBase::refreshWindow(bool immediate) {
  if (xwindow_ == None)
    return;
  // Every change was painted when it was made; what is left is to have the server show it.
  // XSync waits for that without reading any event: a posted event stays queued for the loop.
  if (immediate)
    XSync(display_, False);
  else
    XFlush(display_);
}

void IX11::DriverBase::paint(XftDraw*, Pixmap, const ISize&) {}

void IX11::DriverBase::render() {
  if (!hasContent() || xwindow_ == None || rect_.isEmpty())
    return;
  ISize size(extent(rect_.width()), extent(rect_.height()));
  if (pixmap_ == None || pixmapSize_ != size) {
    Pixmap made = XCreatePixmap(display_, xwindow_, static_cast<unsigned>(size.width()),
                                static_cast<unsigned>(size.height()),
                                static_cast<unsigned>(drawing_.depth()));
    if (draw_ != nullptr)
      XftDrawChange(draw_, made);
    else
      draw_ = drawing_.createDraw(made);
    // The window holds its own reference to the old background until it gets the new one.
    if (pixmap_ != None)
      XFreePixmap(display_, pixmap_);
    pixmap_ = made;
    pixmapSize_ = size;
  }
  drawing_.fill(draw_, look_.background, IRectangle(IPoint(), size));
  paint(draw_, pixmap_, size);
  XSetWindowBackgroundPixmap(display_, xwindow_, pixmap_);
  if (mapped_)
    XClearWindow(display_, xwindow_);
}

