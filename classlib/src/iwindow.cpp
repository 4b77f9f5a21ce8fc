// Portable part of the window toolkit: the window registry, handlers and dispatch, the window
// base with its parent links and inherited look, the desktop and object windows.
#include "iwindow.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "iexcept.hpp"
#include "iwindowdriver.hpp"

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

// The desktop's rectangle is the primary monitor's, measured each time it is asked for.
class IDesktopWindow : public IPlatformWindow {
public:
  using IPlatformWindow::IPlatformWindow;
  IRectangle rect() const override { return IWindowPlatform::desktopRect(); }
};

} // namespace

// --- handles -------------------------------------------------------------------------------

namespace {

// Posts that have failed since the last one that went through. A flood of posts fills the
// queue and then fails by the thousand until the loop drains it: the first failure of such a
// burst is logged as any failure is, the others only counted, and the count is logged once
// posting works again.
std::atomic<unsigned long> failedPostsInARow{0};

void logFailedPosts(unsigned long count) {
  char line[160];
  std::snprintf(line, sizeof line,
                "WinPostMsg failed %lu times in a row; only the first failure was recorded.",
                count);
  IExceptionLogger* logger = IException::logger();
  logger->writeLine(line);
  logger->endRecord();
}

} // namespace

void IWindowHandle::postEvent(unsigned long eventId, const IEventParameter1& p1,
                              const IEventParameter2& p2) const {
  // Only a post that began after failures were counted ends their burst: one that was already
  // on its way when they began says nothing about the queue's room now.
  const bool inBurst = failedPostsInARow.load() > 0;
  if (IWindowPlatform::post(*this, eventId, p1.asUnsignedLong(), p2.asUnsignedLong())) {
    if (inBurst) {
      const unsigned long failed = failedPostsInARow.exchange(0);
      if (failed > 1)
        logFailedPosts(failed);
    }
    return;
  }
  const IThrowLocation location("iwindow",
                                "IWindowHandle::postEvent(unsigned long,const "
                                "IEventParameter1&,const IEventParameter2&) const",
                                __LINE__);
  if (failedPostsInARow.fetch_add(1) == 0)
    raiseWindowingError("WinPostMsg", location, IException::invalidParameter,
                        IException::recoverable);
  raiseRepeatedWindowingError("WinPostMsg", location, IException::invalidParameter,
                              IException::recoverable);
}

// --- handlers ------------------------------------------------------------------------------

IHandler::~IHandler() {
  while (!windows_.empty())
    stopHandlingEventsFor(windows_.back());
}

IHandler& IHandler::handleEventsFor(IWindow* window) {
  if (window == nullptr)
    raiseParameterCheck("window != 0",
                        IThrowLocation("iwindow", "IHandler::handleEventsFor(IWindow*)", __LINE__));
  window->handlers_.push_back(this);
  if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
    windows_.push_back(window);
  return *this;
}

IHandler& IHandler::stopHandlingEventsFor(IWindow* window) {
  if (window == nullptr)
    return *this;
  auto& handlers = window->handlers_;
  handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  return *this;
}

bool ICommandHandler::command(ICommandEvent&) { return false; }
bool ICommandHandler::systemCommand(ICommandEvent&) { return false; }

bool ICommandHandler::dispatchHandlerEvent(IEvent& event) {
  if (event.eventId() != ICommandEvent::command && event.eventId() != ICommandEvent::systemCommand)
    return false;
  ICommandEvent commandEvent(event.window(), event.eventId(), event.parameter1().lowNumber());
  return commandEvent.isSystemCommand() ? systemCommand(commandEvent) : command(commandEvent);
}

// --- windows -------------------------------------------------------------------------------

IWindow::IWindow() noexcept = default;

IWindow::IWindow(unsigned long id, IWindow* parent) noexcept : id_(id), parent_(parent) {
  if (parent_ != nullptr)
    parent_->children_.push_back(this);
}

IWindow::~IWindow() {
  destroyDriver();
  setHandle(IWindowHandle());
  while (!handlers_.empty())
    handlers_.back()->stopHandlingEventsFor(this);
  for (IWindow* child : children_)
    child->parent_ = nullptr;
  if (parent_ != nullptr) {
    parent_->childDestroyed(this);
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void IWindow::setDriver(std::unique_ptr<IWindowDriver> driver) {
  driver_ = std::move(driver);
  setHandle(driver_ ? driver_->handle() : IWindowHandle());
  if (driver_)
    driver_->setLook(IWindowLook{font(), foregroundColor(), backgroundColor()});
}

void IWindow::destroyDriver() {
  setHandle(IWindowHandle());
  driver_.reset();
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

IWindow& IWindow::show(bool visible) {
  if (driver_ && isValid())
    driver_->show(visible);
  visible_ = visible;
  return *this;
}

IWindow& IWindow::enable(bool enabled) {
  if (driver_ && isValid())
    driver_->enable(enabled);
  enabled_ = enabled;
  return *this;
}

IWindow& IWindow::setFocus() {
  if (driver_ && isValid())
    driver_->setFocus();
  return *this;
}

IWindow& IWindow::moveSizeTo(const IRectangle& rect) {
  if (driver_ && isValid())
    driver_->moveSizeTo(rect);
  sizeChanged();
  return *this;
}

IRectangle IWindow::rect() const {
  return driver_ && isValid() ? driver_->rect() : IRectangle();
}

ISize IWindow::minimumSize() const { return size(); }

void IWindow::sizeChanged() {}

void IWindow::childDestroyed(IWindow*) {}

void IWindow::lookChanged() {
  if (driver_ && isValid())
    driver_->setLook(IWindowLook{font(), foregroundColor(), backgroundColor()});
}

// A change of this window's look reaches the children that show it by inheritance.
void IWindow::inheritedLookChanged() {
  lookChanged();
  for (IWindow* child : children_)
    if (!child->hasFont_ || !child->hasForeground_ || !child->hasBackground_)
      child->inheritedLookChanged();
}

IWindow& IWindow::setFont(const IFont& font) {
  font_ = font;
  hasFont_ = true;
  inheritedLookChanged();
  return *this;
}

IFont IWindow::font() const {
  for (const IWindow* w = this; w != nullptr; w = w->parent_)
    if (w->hasFont_)
      return w->font_;
  return IFont();
}

IWindow& IWindow::setForegroundColor(const IColor& color) {
  foreground_ = color;
  hasForeground_ = true;
  inheritedLookChanged();
  return *this;
}

IWindow& IWindow::setBackgroundColor(const IColor& color) {
  background_ = color;
  hasBackground_ = true;
  inheritedLookChanged();
  return *this;
}

IColor IWindow::foregroundColor() const {
  for (const IWindow* w = this; w != nullptr; w = w->parent_)
    if (w->hasForeground_)
      return w->foreground_;
  return IColor::black();
}

IColor IWindow::backgroundColor() const {
  for (const IWindow* w = this; w != nullptr; w = w->parent_)
    if (w->hasBackground_)
      return w->background_;
  return IColor::white();
}

IWindow& IWindow::setMousePointer(const IPointerHandle& pointer) {
  pointer_ = pointer;
  if (driver_ && isValid())
    driver_->setPointer(pointer);
  return *this;
}

IWindow& IWindow::refresh(bool immediate) {
  if (driver_ && isValid())
    driver_->refresh(immediate);
  return *this;
}

IWindow* IWindow::desktopWindow() {
  static IWindow* desktop = new IDesktopWindow(IWindowPlatform::desktopHandle());
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

IWindow& IWindowPrivate::requireParent(IWindow* parent, const char* fileName,
                                       const char* functionName) {
  if (parent == nullptr)
    raiseParameterCheck("parent != 0", IThrowLocation(fileName, functionName, __LINE__));
  return *parent;
}

long IWindow::desktopWidth() { return IWindowPlatform::desktopRect().width(); }
long IWindow::desktopHeight() { return IWindowPlatform::desktopRect().height(); }

bool IWindow::dispatchEvent(IEvent& event) {
  // A copy: a handler may attach or detach handlers while it runs.
  std::vector<IHandler*> handlers(handlers_.rbegin(), handlers_.rend());
  for (IHandler* h : handlers) {
    if (std::find(handlers_.begin(), handlers_.end(), h) == handlers_.end())
      continue;
    if (h->dispatchHandlerEvent(event))
      return true;
  }
  return false;
}

bool IWindow::dispatchCommand(unsigned long commandId) {
  ICommandEvent event(this, ICommandEvent::command, commandId);
  return dispatchEvent(event);
}

bool IWindow::dispatchSystemCommand(unsigned long commandId) {
  ICommandEvent event(this, ICommandEvent::systemCommand, commandId);
  return dispatchEvent(event);
}

// --- drivers -------------------------------------------------------------------------------

IWindowDriver::~IWindowDriver() = default;

void IWindowDriver::windowGone(IWindow& window) {
  handle_ = IWindowHandle();
  window.setHandle(IWindowHandle());
  window.visible_ = false;
}

void IWindowDriver::windowSized(IWindow& window) { window.sizeChanged(); }
