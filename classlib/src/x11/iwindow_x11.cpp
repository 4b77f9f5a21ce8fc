// X11 backend of the window toolkit: frame windows, the object window, the posted-event queue
// with its wake-up pipe, and the event loop on the shared display connection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "iexcept.hpp"
#include "iframe.hpp"
#include "iwindowplatform.hpp"
#include "x11/ix11display.hpp"

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

class X11FrameDriver;

// The posted events and the pipe that wakes the loop; the frames by window id (only the loop
// thread creates and destroys frames, but posting threads may read while it does).
struct LoopState {
  std::mutex lock;
  std::deque<Posted> queue;
  int wake[2] = {-1, -1};
  std::atomic<bool> exitRequested{false};
  std::unordered_map<Window, X11FrameDriver*> frames;
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

void wakeLoop() {
  LoopState& s = state();
  if (s.wake[1] >= 0) {
    char byte = 1;
    // A full pipe already guarantees a wake-up.
    ssize_t written = write(s.wake[1], &byte, 1);
    (void)written;
  }
}

IX11::Connection& requireDisplay(const char* functionName, unsigned long line) {
  IX11::Connection* connection = IX11::shared();
  if (connection == nullptr)
    IX11::raiseNoDisplay(functionName, line);
  return *connection;
}

class X11FrameDriver : public IWindowDriver {
public:
  X11FrameDriver(IFrameWindow& frame, const char* title, long width, long height)
      : frame_(frame),
        connection_(requireDisplay("IFrameWindow::IFrameWindow(const char*,long,long)", __LINE__)) {
    Display* d = connection_.display;
    unsigned w = width > 0 ? static_cast<unsigned>(width) : 1;
    unsigned h = height > 0 ? static_cast<unsigned>(height) : 1;
    XSetWindowAttributes attributes;
    attributes.background_pixel = 0xF0F0F0;
    attributes.event_mask = StructureNotifyMask | ExposureMask;
    window_ = XCreateWindow(d, connection_.root, 0, 0, w, h, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    if (window_ == None) {
      errno = ENOMEM;
      raiseWindowingError("XCreateWindow",
                          IThrowLocation("iwindow", "IFrameWindow::IFrameWindow(const char*,long,long)", __LINE__),
                          IException::outOfWindowResource);
    }
    IX11::setName(connection_, window_, IX11::toUtf8(title));
    IX11::setClass(connection_, window_, "frame", "IFrameWindow");
    XSetWMProtocols(d, window_, &connection_.atoms.wmDeleteWindow, 1);
    long pid = static_cast<long>(getpid());
    XChangeProperty(d, window_, connection_.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);
    XFlush(d);
    {
      std::lock_guard<std::mutex> guard(state().lock);
      state().frames[window_] = this;
    }
    windowCreated(frame_, IWindowHandle(window_));
  }

  ~X11FrameDriver() override { destroyWindow(false); }

  void setText(const char* text) override {
    if (window_ == None)
      return;
    IX11::setName(connection_, window_, IX11::toUtf8(text));
    XFlush(connection_.display);
  }

  void show(bool visible) override {
    if (window_ == None)
      return;
    if (visible)
      XMapRaised(connection_.display, window_);
    else
      XUnmapWindow(connection_.display, window_);
    XFlush(connection_.display);
  }

  // What Windows' default processing does for a close: the platform window goes.
  void destroyWindow(bool tellFrame) {
    if (window_ == None)
      return;
    {
      std::lock_guard<std::mutex> guard(state().lock);
      state().frames.erase(window_);
    }
    XDestroyWindow(connection_.display, window_);
    XFlush(connection_.display);
    window_ = None;
    if (tellFrame)
      windowGone(frame_);
  }

private:
  IFrameWindow& frame_;
  IX11::Connection& connection_;
  Window window_ = None;
};

X11FrameDriver* frameOf(Window window) {
  std::lock_guard<std::mutex> guard(state().lock);
  auto found = state().frames.find(window);
  return found == state().frames.end() ? nullptr : found->second;
}

void closeWindow(Window window) {
  if (X11FrameDriver* frame = frameOf(window))
    frame->destroyWindow(true);
}

// One posted event, as Windows' DispatchMessage and DefWindowProc would treat it.
void dispatchPosted(const Posted& event) {
  IWindow* window = IWindow::windowWithHandle(IWindowHandle(event.window));
  if (window == nullptr)
    return; // destroyed after the post: the event goes with the window
  switch (event.eventId) {
  case kCommand:
    window->dispatchCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber());
    break;
  case kSystemCommand:
    if (!window->dispatchSystemCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber()) &&
        (event.p1 & 0xFFF0) == kScClose)
      closeWindow(event.window);
    break;
  case kClose:
    closeWindow(event.window);
    break;
  default:
    break;
  }
}

void dispatchX(IX11::Connection& connection, XEvent& event) {
  if (event.type == ClientMessage && event.xclient.message_type == connection.atoms.wmProtocols &&
      static_cast<Atom>(event.xclient.data.l[0]) == connection.atoms.wmDeleteWindow) {
    // The close box: a system command first, as on Windows, then the default close.
    Window target = event.xclient.window;
    IWindow* window = IWindow::windowWithHandle(IWindowHandle(target));
    if (window == nullptr || !window->dispatchSystemCommand(kScClose))
      closeWindow(target);
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
    dispatchX(connection, event);
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

std::unique_ptr<IWindowDriver> IWindowDriver::newFrame(IFrameWindow& frame, const char* title,
                                                       long width, long height) {
  return std::unique_ptr<IWindowDriver>(new X11FrameDriver(frame, title, width, height));
}

IWindowHandle IWindowPlatform::desktopHandle() {
  IX11::Connection* connection = IX11::shared();
  return connection != nullptr ? IWindowHandle(connection->root) : IWindowHandle();
}

IWindowHandle IWindowPlatform::newObjectWindow() {
  IX11::Connection& c = requireDisplay("IWindow::objectWindow()", __LINE__);
  // Never mapped: it only receives posted events.
  XSetWindowAttributes attributes;
  attributes.event_mask = 0;
  Window window = XCreateWindow(c.display, c.root, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                CWEventMask, &attributes);
  if (window == None) {
    errno = ENOMEM;
    raiseWindowingError("XCreateWindow", IThrowLocation("iwindow", "IWindow::objectWindow()", __LINE__),
                        IException::outOfWindowResource);
  }
  IX11::setClass(c, window, "object", "IObjectWindow");
  XFlush(c.display);
  return IWindowHandle(window);
}

long IWindowPlatform::desktopWidth() {
  IX11::Connection& c = requireDisplay("IWindow::desktopWidth()", __LINE__);
  return DisplayWidth(c.display, c.screen);
}

long IWindowPlatform::desktopHeight() {
  IX11::Connection& c = requireDisplay("IWindow::desktopHeight()", __LINE__);
  return DisplayHeight(c.display, c.screen);
}

IString IWindowPlatform::windowText(const IWindowHandle& handle) {
  IX11::Connection* connection = IX11::shared();
  if (connection == nullptr || !handle.isValid())
    return IString();
  return IString(IX11::windowName(*connection, static_cast<Window>(handle.asUnsigned())).c_str());
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
  IX11::Connection& c = requireDisplay("IApplication::run()", __LINE__);
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
