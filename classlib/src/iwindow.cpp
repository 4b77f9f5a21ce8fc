// Portable part of the window toolkit: the window registry, command handlers and dispatch,
// posting by event type, the desktop and object windows, the frame window and the application.
#include "iwindow.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "iexcept.hpp"
#include "iframe.hpp"
#include "iwindowplatform.hpp"

namespace {

// Every live window object by its handle. Posting threads read it, the window thread changes
// it; the lock is never held while a handler runs.
struct Registry {
  std::mutex lock;
  std::unordered_map<IWindowHandle::Value, IWindow*> windows;
};

Registry& registry() {
  static Registry* instance = new Registry; // never destroyed: windows may outlive statics
  return *instance;
}

// The desktop and the object window are plain windows around a handle the platform made.
class IPlatformWindow : public IWindow {
public:
  explicit IPlatformWindow(const IWindowHandle& handle) { setHandle(handle); }
};

} // namespace

// --- handles -------------------------------------------------------------------------------

void IWindowHandle::postEvent(unsigned long eventId, const IEventParameter1& p1,
                              const IEventParameter2& p2) const {
  if (!IWindowPlatform::post(*this, eventId, p1.asUnsignedLong(), p2.asUnsignedLong()))
    raiseWindowingError("WinPostMsg",
                        IThrowLocation("iwindow",
                                       "IWindowHandle::postEvent(unsigned long,const "
                                       "IEventParameter1&,const IEventParameter2&) const",
                                       __LINE__),
                        IException::invalidParameter, IException::recoverable);
}

// --- command handlers ----------------------------------------------------------------------

ICommandHandler::~ICommandHandler() {
  while (!windows_.empty())
    stopHandlingEventsFor(windows_.back());
}

bool ICommandHandler::systemCommand(ICommandEvent&) { return false; }

ICommandHandler& ICommandHandler::handleEventsFor(IWindow* window) {
  if (window == nullptr)
    raiseParameterCheck("window != 0",
                        IThrowLocation("iwindow", "ICommandHandler::handleEventsFor(IWindow*)",
                                       __LINE__));
  window->handlers_.push_back(this);
  if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
    windows_.push_back(window);
  return *this;
}

ICommandHandler& ICommandHandler::stopHandlingEventsFor(IWindow* window) {
  if (window == nullptr)
    return *this;
  auto& handlers = window->handlers_;
  handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  return *this;
}

// --- windows -------------------------------------------------------------------------------

IWindow::IWindow() noexcept = default;

IWindow::~IWindow() {
  setHandle(IWindowHandle());
  while (!handlers_.empty())
    handlers_.back()->stopHandlingEventsFor(this);
}

void IWindow::setHandle(const IWindowHandle& handle) {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  if (handle_.isValid()) {
    auto found = r.windows.find(handle_.asUnsigned());
    if (found != r.windows.end() && found->second == this)
      r.windows.erase(found);
  }
  handle_ = handle;
  if (handle_.isValid())
    r.windows[handle_.asUnsigned()] = this;
}

IWindow* IWindow::windowWithHandle(const IWindowHandle& handle) {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto found = r.windows.find(handle.asUnsigned());
  return found == r.windows.end() ? nullptr : found->second;
}

const IWindow& IWindow::postEvent(EventType type, const IEventParameter1& p1,
                                  const IEventParameter2& p2) const {
  handle().postEvent(static_cast<unsigned long>(type), p1, p2);
  return *this;
}

IString IWindow::text() const {
  return handle_.isValid() ? IWindowPlatform::windowText(handle_) : IString();
}

IWindow* IWindow::desktopWindow() {
  static IWindow* desktop = new IPlatformWindow(IWindowPlatform::desktopHandle());
  return desktop;
}

namespace {
std::mutex objectWindowLock;
std::atomic<IWindow*> theObjectWindow{nullptr};
} // namespace

IWindow* IWindow::objectWindow() {
  // Made once; a failed attempt (no display) raises and is tried again by the next call.
  std::lock_guard<std::mutex> guard(objectWindowLock);
  if (theObjectWindow.load() == nullptr)
    theObjectWindow = new IPlatformWindow(IWindowPlatform::newObjectWindow());
  return theObjectWindow;
}

bool IWindowPrivate::isObjectWindow(const IWindow* window) {
  return window != nullptr && window == theObjectWindow.load();
}

long IWindow::desktopWidth() { return IWindowPlatform::desktopWidth(); }
long IWindow::desktopHeight() { return IWindowPlatform::desktopHeight(); }

bool IWindow::dispatchCommand(unsigned long commandId) {
  ICommandEvent event(this, commandId);
  // A copy: a handler may attach or detach handlers while it runs.
  std::vector<ICommandHandler*> handlers(handlers_.rbegin(), handlers_.rend());
  for (ICommandHandler* h : handlers) {
    if (std::find(handlers_.begin(), handlers_.end(), h) == handlers_.end())
      continue;
    if (h->command(event))
      return true;
  }
  return false;
}

bool IWindow::dispatchSystemCommand(unsigned long commandId) {
  ICommandEvent event(this, commandId);
  std::vector<ICommandHandler*> handlers(handlers_.rbegin(), handlers_.rend());
  for (ICommandHandler* h : handlers) {
    if (std::find(handlers_.begin(), handlers_.end(), h) == handlers_.end())
      continue;
    if (h->systemCommand(event))
      return true;
  }
  return false;
}

// --- frame windows -------------------------------------------------------------------------

IWindowDriver::~IWindowDriver() = default;

void IWindowDriver::windowCreated(IFrameWindow& frame, const IWindowHandle& handle) {
  frame.setHandle(handle);
}

void IWindowDriver::windowGone(IFrameWindow& frame) {
  frame.setHandle(IWindowHandle());
  frame.visible_ = false;
}

IFrameWindow::IFrameWindow(const char* title, long width, long height) : title_(title) {
  driver_ = IWindowDriver::newFrame(*this, title_, width, height);
}

IFrameWindow::~IFrameWindow() {
  // The driver destroys the platform window; the registry entry goes first so that no posted
  // event finds a half-destroyed object.
  setHandle(IWindowHandle());
  driver_.reset();
}

// The platform window's own text while there is one (what a person and other programs see),
// else the last title given.
IString IFrameWindow::text() const { return isValid() ? IWindow::text() : title_; }

IFrameWindow& IFrameWindow::setText(const char* title) {
  title_ = title;
  if (isValid())
    driver_->setText(title_);
  return *this;
}

IFrameWindow& IFrameWindow::show(bool visible) {
  if (isValid()) {
    driver_->show(visible);
    visible_ = visible;
  }
  return *this;
}

// --- the application -----------------------------------------------------------------------

IApplication& IApplication::current() {
  static IApplication* application = new IApplication;
  return *application;
}

IApplication& IApplication::run() {
  IWindowPlatform::run();
  return *this;
}

IApplication& IApplication::processEvents() {
  IWindowPlatform::processEvents();
  return *this;
}

IApplication& IApplication::exit() {
  IWindowPlatform::exit();
  return *this;
}
