// X11 backend of the window toolkit: the window table and the driver base that every window
// shares, mouse pointers made from icons, the desktop (the primary monitor), the object window,
// the posted-event queue with its wake-up pipe, and the event loop on the shared connection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrender.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "iexcept.hpp"
#include "iimage.hpp"
#include "x11/ix11window.hpp"

namespace {

// Windows' limit for one thread's posted messages; a runaway poster fails instead of eating
// the memory of the process.
const std::size_t kQueueLimit = 10000;
const unsigned long kCommand = 0x0111, kSystemCommand = 0x0112, kClose = 0x0010;
const unsigned long kScClose = 0xF060;

struct Posted {
  IWindowHandle::Value window;
  unsigned long eventId;
  std::uintptr_t p1, p2;
};

// The posted events and the pipe that wakes the loop.
struct LoopState {
  std::mutex lock;
  std::deque<Posted> queue;
  int wake[2] = {-1, -1};
  std::atomic<bool> exitRequested{false};
};

LoopState& state() {
  static LoopState* instance = [] {
    LoopState* made = new LoopState;
    if (pipe(made->wake) == 0) {
      for (int fd : made->wake) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    }
    return made;
  }();
  return *instance;
}

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

void wakeLoop() {
  LoopState& s = state();
  if (s.wake[1] >= 0) {
    char byte = 1;
    // A full pipe already guarantees a wake-up.
    ssize_t written = write(s.wake[1], &byte, 1);
    (void)written;
  }
}

// X coordinates and sizes are 16-bit.
int coordinate(long value) { return static_cast<int>(std::max(-32768L, std::min(32767L, value))); }
unsigned extent(long value) { return static_cast<unsigned>(std::max(1L, std::min(32767L, value))); }

// A mouse pointer made from an icon: its pixels as an ARGB cursor (XRender), the hot spot in
// the middle as Windows has it for a pointer made from an icon. One per image: the images live
// as long as the process, and so do their pointers.
Cursor pointerFor(IX11::Connection& c, const IImage& image) {
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
    XDefineCursor(display_, xwindow_, pointerFor(connection_, *image));
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
      draw_ = XftDrawCreate(display_, made, drawing_.visual(), drawing_.colormap());
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

// --- the platform calls --------------------------------------------------------------------

namespace {

// One posted event, as Windows' DispatchMessage and DefWindowProc would treat it.
void dispatchPosted(const Posted& event) {
  IWindow* window = IWindow::windowWithHandle(IWindowHandle(event.window));
  if (window == nullptr)
    return; // destroyed after the post: the event goes with the window
  auto close = [&] {
    if (IX11::DriverBase* driver = IX11::DriverBase::find(static_cast<Window>(event.window)))
      driver->closeWindow();
  };
  switch (event.eventId) {
  case kCommand:
    window->dispatchCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber());
    break;
  case kSystemCommand:
    if (!window->dispatchSystemCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber()) &&
        (event.p1 & 0xFFF0) == kScClose)
      close();
    break;
  case kClose:
    close();
    break;
  default:
    break;
  }
}

// Handles what is waiting: X events, then the posted events queued so far, one at a time,
// stopping early when exit() was called and stopOnExit is set. True when it stopped early.
bool processPending(IX11::Connection& connection, bool stopOnExit) {
  LoopState& s = state();
  Display* d = connection.display;
  while (XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    if (IX11::DriverBase* driver = IX11::DriverBase::find(event.xany.window))
      driver->handleEvent(event);
    if (stopOnExit && s.exitRequested.load())
      return true;
  }
  std::size_t waiting;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    waiting = s.queue.size();
  }
  // Only the events that were there when this round began: a handler that posts again must
  // not keep the loop from reading the display.
  for (; waiting > 0; --waiting) {
    Posted event;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      if (s.queue.empty())
        break;
      event = s.queue.front();
      s.queue.pop_front();
    }
    dispatchPosted(event);
    if (stopOnExit && s.exitRequested.load())
      return true;
  }
  return false;
}

void drainWakePipe() {
  char buffer[256];
  while (read(state().wake[0], buffer, sizeof buffer) > 0) {
  }
}

} // namespace

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
  XftFont* opened = drawing->font(font);
  return ISize(drawing->textWidth(opened, IX11::toUtf8(text)), IX11::Drawing::lineHeight(opened));
}

long IWindowPlatform::lineHeight(const IFont& font) {
  IX11::Drawing* drawing = IX11::sharedDrawing();
  return drawing != nullptr ? IX11::Drawing::lineHeight(drawing->font(font)) : 0;
}

bool IWindowPlatform::post(const IWindowHandle& handle, unsigned long eventId, std::uintptr_t p1,
                           std::uintptr_t p2) {
  if (IX11::shared() == nullptr) {
    errno = ENXIO;
    return false;
  }
  // Only windows of this process's toolkit have a queue here; a destroyed window has left the
  // registry, so a stale handle fails as PostMessage fails for one.
  if (!handle.isValid() || IWindow::windowWithHandle(handle) == nullptr) {
    errno = EINVAL;
    return false;
  }
  LoopState& s = state();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.queue.size() >= kQueueLimit) {
      errno = EAGAIN;
      return false;
    }
    s.queue.push_back(Posted{handle.asUnsigned(), eventId, p1, p2});
  }
  wakeLoop();
  return true;
}

void IWindowPlatform::run() {
  IX11::Connection& c = IX11::requireDisplay("IApplication::run()", __LINE__);
  LoopState& s = state();
  int xfd = ConnectionNumber(c.display);
  for (;;) {
    if (s.exitRequested.exchange(false))
      return;
    if (processPending(c, true)) {
      s.exitRequested = false;
      return;
    }
    XFlush(c.display);
    bool more;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      more = !s.queue.empty();
    }
    if (more || XPending(c.display) > 0 || s.exitRequested.load())
      continue;
    pollfd fds[2] = {{xfd, POLLIN, 0}, {s.wake[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR)
      raiseSystemError(static_cast<unsigned long>(errno), "poll",
                       IThrowLocation("iwindow", "IApplication::run()", __LINE__));
    if (fds[1].revents & POLLIN)
      drainWakePipe();
  }
}

void IWindowPlatform::processEvents() {
  IX11::Connection* c = IX11::shared();
  if (c == nullptr)
    return; // nothing can be waiting without a display
  drainWakePipe();
  processPending(*c, false);
  XFlush(c->display);
}

void IWindowPlatform::exit() {
  state().exitRequested = true;
  wakeLoop();
}
