// X11 driver of frame windows: a top-level window with the window manager's hints and its
// decorations' extents, its icon as _NET_WM_ICON, the task-bar state, the accelerator keys and
// the close box.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "ieventnumbers.hpp"
#include "iframeextents.hpp"
#include "iimage.hpp"
#include "x11/ix11window.hpp"

namespace {

const long kNetWmStateAdd = 1, kSourceApplication = 1;
// How long a frame waits at most for the window manager to say how large its decorations will
// be. The question goes out when the frame is made and the answer is usually there before it is
// first placed; a manager that does not answer costs the start no more than this.
const std::chrono::milliseconds kExtentsWait(100);

class FrameDriver : public IX11::Driver<IFrameDriver> {
public:
  FrameDriver(IFrameWindow& frame, const IString& title, const IFrameWindow::Style& style,
              const ISize& size)
      : Driver(frame, None, IRectangle(IPoint(), size),
               StructureNotifyMask | KeyPressMask | PropertyChangeMask, "frame", "IFrameWindow",
               "IFrameWindow::IFrameWindow(...)"),
        resizable_(style.contains(IFrameWindow::sizingBorder)) {
    setWindowText(title);
    XSetWMProtocols(display_, xwindow_, &connection_.atoms.wmDeleteWindow, 1);
    long pid = static_cast<long>(getpid());
    XChangeProperty(display_, xwindow_, connection_.atoms.netWmPid, XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    XChangeProperty(display_, xwindow_, connection_.atoms.netWmWindowType, XA_ATOM, 32,
                    PropModeReplace,
                    reinterpret_cast<unsigned char*>(&connection_.atoms.netWmWindowTypeNormal), 1);
    setInputHint(true);
    setSizeHints(rect_.topLeft());
    requestExtents();
    XFlush(display_);
  }

  // The X window is the client area; the frame's rectangle is the outer one, the window
  // manager's decorations included, as a Windows frame's is: what is centred by it is centred
  // as a person sees it. rect_ holds the client window's rectangle on the root window.
  IRectangle clientArea() const override { return IRectangle(IPoint(), rect_.size()); }
  IRectangle frameRectFor(const IRectangle& clientArea) const override {
    return IFrameExtents::outerFor(extents(), clientArea);
  }
  IRectangle rect() const override { return IFrameExtents::outerFor(extents(), rect_); }

  void setIcon(const IPointerHandle& icon) override {
    if (xwindow_ == None)
      return;
    const IImage* image = icon.isValid() ? IResourcePosix::iconOf(icon) : nullptr;
    if (image == nullptr || image->width <= 0 || image->height <= 0) {
      XDeleteProperty(display_, xwindow_, connection_.atoms.netWmIcon);
    } else {
      // Width, height, then the pixels as ARGB; format 32 travels as longs.
      std::vector<long> data;
      data.reserve(2 + image->pixels.size());
      data.push_back(image->width);
      data.push_back(image->height);
      for (std::uint32_t pixel : image->pixels)
        data.push_back(static_cast<long>(pixel));
      XChangeProperty(display_, xwindow_, connection_.atoms.netWmIcon, XA_CARDINAL, 32,
                      PropModeReplace, reinterpret_cast<unsigned char*>(data.data()),
                      static_cast<int>(data.size()));
    }
    XFlush(display_);
  }

  void removeFromTaskBar() override {
    skipTaskbar_ = true;
    if (xwindow_ == None)
      return;
    const IX11::Atoms& atoms = connection_.atoms;
    if (mapped_ && windowManagerRuns()) {
      // The window manager owns the state of a mapped window: it is asked (EWMH).
      XEvent event{};
      event.xclient.type = ClientMessage;
      event.xclient.window = xwindow_;
      event.xclient.message_type = atoms.netWmState;
      event.xclient.format = 32;
      event.xclient.data.l[0] = kNetWmStateAdd;
      event.xclient.data.l[1] = static_cast<long>(atoms.netWmStateSkipTaskbar);
      event.xclient.data.l[3] = kSourceApplication;
      XSendEvent(display_, connection_.root, False,
                 SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
      // Withdrawn (or no window manager): the property is the window's own, read at the next map.
      addSkipTaskbarState();
    }
    XFlush(display_);
  }

  void setAccelerators(const IAccelTblHandle& table) override {
    accelerators_ = table.isValid() ? IResourcePosix::acceleratorsOf(table) : nullptr;
  }

  void handleEvent(XEvent& event) override {
    switch (event.type) {
    case ClientMessage:
      if (event.xclient.message_type == connection_.atoms.wmProtocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == connection_.atoms.wmDeleteWindow)
        closeBox();
      break;
    case KeyPress:
      key(event.xkey);
      break;
    case ConfigureNotify:
      configured(event.xconfigure);
      break;
    case ReparentNotify:
      reparented_ = event.xreparent.parent != connection_.root;
      break;
    case PropertyNotify:
      // The manager decorated the frame (or changed its decorations): later queries of the
      // frame's rectangle count what it drew.
      if (event.xproperty.atom == connection_.atoms.netFrameExtents) {
        awaiting_ = false;
        readExtents();
      }
      break;
    default:
      break;
    }
  }

  void closeWindow() override { destroyWindow(true); }

protected:
  void showWindow(bool visible) override {
    shown_ = visible;
    if (xwindow_ == None)
      return;
    if (visible) {
      // A manager clears the state of the windows it lets go of, perhaps after the frame set it
      // on its withdrawal: a frame out of the task bar says so again before it is mapped.
      if (skipTaskbar_ && !mapped_)
        addSkipTaskbarState();
      XMapRaised(display_, xwindow_);
    } else {
      // Withdrawn, not just unmapped: the window manager lets go of it (and of its task-bar
      // button) instead of keeping it as iconified.
      XWithdrawWindow(display_, xwindow_, connection_.screen);
    }
    mapped_ = visible;
    XFlush(display_);
  }

  void enableWindow(bool enabled) override {
    enabled_ = enabled;
    if (xwindow_ == None)
      return;
    // A disabled frame asks not to be given the keyboard focus; the events that still come are
    // dropped by the handlers (takesInput).
    setInputHint(enabled);
    XFlush(display_);
  }

  // rect is the outer rectangle: its corner is the position asked for (north-west gravity, see
  // setSizeHints), the client window's size is what the decorations leave of it.
  void moveSizeWindow(const IRectangle& rect) override {
    awaitExtents();
    rect_ = IFrameExtents::clientFor(extents_, rect);
    if (xwindow_ == None)
      return;
    setSizeHints(rect.topLeft());
    // A ConfigureNotify older than this request describes a size that is no longer asked for.
    lastConfigure_ = NextRequest(display_);
    XMoveResizeWindow(display_, xwindow_, static_cast<int>(rect.left()), static_cast<int>(rect.top()),
                      static_cast<unsigned>(std::max(1L, rect_.width())),
                      static_cast<unsigned>(std::max(1L, rect_.height())));
    XFlush(display_);
  }

private:
  // The position and size are the program's (USPosition, USSize), so that a window manager
  // keeps them. North-west gravity: the position is the outer rectangle's corner, where the
  // manager puts the corner of its decorations, and the client window comes inside them
  // (IFrameExtents::clientFor). Without a manager, or before it answered, the extents are 0 and
  // the two corners are one. The size is the client window's. A frame without a sizing border
  // keeps its size.
  void setSizeHints(const IPoint& position) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr)
      return;
    hints->flags = USPosition | USSize | PWinGravity;
    hints->x = static_cast<int>(position.x());
    hints->y = static_cast<int>(position.y());
    hints->width = static_cast<int>(std::max(1L, rect_.width()));
    hints->height = static_cast<int>(std::max(1L, rect_.height()));
    hints->win_gravity = NorthWestGravity;
    if (!resizable_) {
      hints->flags |= PMinSize | PMaxSize;
      hints->min_width = hints->max_width = hints->width;
      hints->min_height = hints->max_height = hints->height;
    }
    XSetWMNormalHints(display_, xwindow_, hints);
    XFree(hints);
  }

  void setInputHint(bool input) {
    XWMHints* hints = XAllocWMHints();
    if (hints == nullptr)
      return;
    hints->flags = InputHint | StateHint;
    hints->input = input ? True : False;
    hints->initial_state = NormalState;
    XSetWMHints(display_, xwindow_, hints);
    XFree(hints);
  }

  // Asks the window manager which extents its decorations will have (EWMH): a manager that
  // supports the question sets _NET_FRAME_EXTENTS on the window, mapped or not. Without one
  // nothing is asked and nothing is waited for: the frame is its client window.
  void requestExtents() {
    const IX11::Atoms& atoms = connection_.atoms;
    if (!windowManagerSupports(atoms.netRequestFrameExtents))
      return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xwindow_;
    event.xclient.message_type = atoms.netRequestFrameExtents;
    event.xclient.format = 32;
    XSendEvent(display_, connection_.root, False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    awaiting_ = true;
    deadline_ = std::chrono::steady_clock::now() + kExtentsWait;
  }

  static Bool isExtentsChange(Display*, XEvent* event, XPointer self) {
    const FrameDriver* driver = reinterpret_cast<const FrameDriver*>(self);
    return event->type == PropertyNotify && event->xproperty.window == driver->xwindow_ &&
           event->xproperty.atom == driver->connection_.atoms.netFrameExtents;
  }

  // The extents, once the manager's answer came or the wait for it ended: they are learned
  // when first needed, which also the frame's const queries may be.
  const IFrameExtents::Extents& extents() const {
    const_cast<FrameDriver*>(this)->awaitExtents();
    return extents_;
  }

  // Waits (until the deadline set by the request at most) for the manager's answer, taking only
  // that event from the queue: the others stay for the event loop.
  void awaitExtents() {
    if (!awaiting_ || xwindow_ == None)
      return;
    awaiting_ = false;
    XPointer self = reinterpret_cast<XPointer>(this);
    int fd = ConnectionNumber(display_);
    XEvent event;
    while (!XCheckIfEvent(display_, &event, isExtentsChange, self)) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ -
                                                               std::chrono::steady_clock::now());
      if (left.count() <= 0)
        break;
      pollfd readable{fd, POLLIN, 0};
      poll(&readable, 1, static_cast<int>(left.count()));
    }
    readExtents();
  }

  // Takes the manager's current extents. A window that the manager does not hold in its frame
  // (not yet mapped, or withdrawn) has its corner where the frame's corner goes: its client
  // window moves with the new decorations. A held one stays where it is and its frame grows.
  void readExtents() {
    const std::vector<unsigned long> items = IX11::propertyItems(
        display_, xwindow_, connection_.atoms.netFrameExtents, XA_CARDINAL, 4);
    IFrameExtents::Extents old = extents_;
    extents_ = IFrameExtents::fromProperty(items.empty() ? nullptr : items.data(), items.size());
    if (!reparented_)
      rect_ = rect_.movedBy(extents_.left - old.left, extents_.top - old.top);
  }

  // Whether an EWMH window manager runs and lists feature among the hints it supports.
  bool windowManagerSupports(Atom feature) const {
    if (!windowManagerRuns())
      return false;
    const std::vector<unsigned long> atoms = IX11::propertyItems(
        display_, connection_.root, connection_.atoms.netSupported, XA_ATOM, 4096);
    return std::find(atoms.begin(), atoms.end(), feature) != atoms.end();
  }

  // Whether an EWMH window manager runs: its check window names itself.
  bool windowManagerRuns() const {
    auto checkWindow = [&](Window w) {
      const std::vector<unsigned long> items = IX11::propertyItems(
          display_, w, connection_.atoms.netSupportingWmCheck, XA_WINDOW, 1);
      return items.size() == 1 ? static_cast<Window>(items[0]) : Window(None);
    };
    const Window child = checkWindow(connection_.root);
    return child != None && checkWindow(child) == child;
  }


  void addSkipTaskbarState() {
    Atom state = connection_.atoms.netWmStateSkipTaskbar;
    if (!hasState(state))
      XChangeProperty(display_, xwindow_, connection_.atoms.netWmState, XA_ATOM, 32,
                      PropModeAppend, reinterpret_cast<unsigned char*>(&state), 1);
  }

  bool hasState(Atom wanted) const {
    const std::vector<unsigned long> states =
        IX11::propertyItems(display_, xwindow_, connection_.atoms.netWmState, XA_ATOM, 64);
    return std::find(states.begin(), states.end(), wanted) != states.end();
  }


  // The close box: a system command first, as on Windows; unless a handler takes it, the
  // default close. A disabled frame takes no input, so its close box does nothing.
  void closeBox() {
    if (!takesInput())
      return;
    Window self = xwindow_;
    if (!owner().dispatchSystemCommand(IEventNumber::closeCommand))
      // A handler may have destroyed the frame: it is looked up again.
      if (IX11::DriverBase* driver = IX11::DriverBase::find(self))
        driver->closeWindow();
  }

  // A key whose character code is in the accelerator table is that entry's command (keys
  // without an accelerator have no use in a frame of this toolkit). Windows compares
  // character codes for the entries without virtualKey, and honours only Alt among the
  // modifiers for them.
  void key(XKeyEvent& event) {
    if (accelerators_ == nullptr || !takesInput())
      return;
    char buffer[8];
    KeySym sym = NoSymbol;
    int length = XLookupString(&event, buffer, sizeof buffer, &sym, nullptr);
    if (length != 1)
      return;
    unsigned short code = static_cast<unsigned char>(buffer[0]);
    bool alt = (event.state & Mod1Mask) != 0;
    for (const IAcceleratorEntry& entry : accelerators_->entries) {
      if ((entry.flags & IAcceleratorEntry::virtualKey) || entry.key != code ||
          ((entry.flags & IAcceleratorEntry::alt) != 0) != alt)
        continue;
      owner().dispatchCommand(entry.command); // may destroy this driver: nothing after it
      return;
    }
  }

  void configured(const XConfigureEvent& event) {
    if (!event.send_event && event.serial < lastConfigure_)
      return;
    long left = rect_.left(), top = rect_.top();
    // Real events of a reparented window give the position in the decoration's coordinates;
    // the window manager's synthetic ones give the client window's on the root window. A window
    // outside the manager's frame is at the frame's corner (north-west gravity).
    if (event.send_event) {
      left = event.x;
      top = event.y;
    } else if (!reparented_) {
      left = event.x + extents_.left;
      top = event.y + extents_.top;
    }
    ISize old = rect_.size();
    rect_ = IRectangle(IPoint(left, top), ISize(event.width, event.height));
    if (rect_.size() != old)
      windowSized(owner());
  }

  bool resizable_;
  bool reparented_ = false;
  bool skipTaskbar_ = false;
  // The decorations' extents as the manager last published them, and whether its answer to
  // the request is still awaited (until deadline_).
  IFrameExtents::Extents extents_;
  bool awaiting_ = false;
  std::chrono::steady_clock::time_point deadline_;
  unsigned long lastConfigure_ = 0;
  const IAcceleratorTable* accelerators_ = nullptr;
};

} // namespace

std::unique_ptr<IFrameDriver> IWindowDriver::newFrame(IFrameWindow& frame, const IString& title,
                                                      const IFrameWindow::Style& style,
                                                      const ISize& size) {
  return std::unique_ptr<IFrameDriver>(new FrameDriver(frame, title, style, size));
}
