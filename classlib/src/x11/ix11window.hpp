// The X11 side of every window of the toolkit: the window table that routes X events to their
// driver, and the driver base that the frame, canvas and control drivers share.
#ifndef IX11WINDOW_HPP
#define IX11WINDOW_HPP

#include <X11/Xlib.h>
#include <X11/Xft/Xft.h>

#include <string>

#include "iwindowdriver.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace IX11 {

// One X window of the toolkit on the shared connection. Its content (text, picture) is painted
// into a pixmap that is the window's background, so that the X server itself restores it when
// the window is exposed: the program may be busy for long stretches (the application's whole
// start runs inside the main window's construction) without an event loop to repaint.
// A window without content shows its background colour the same way.
class DriverBase {
public:
  virtual ~DriverBase();

  ::Window xwindow() const noexcept { return xwindow_; }
  IWindow& owner() const noexcept { return owner_; }
  // An X event selected by this window, from the event loop.
  virtual void handleEvent(XEvent& event);
  // The default processing of a close (a posted one, or the close box's system command that no
  // handler took): a frame's platform window goes; other windows ignore it.
  virtual void closeWindow() {}
  // Whether this window and its parents take input.
  bool takesInput() const;
  // The X window went with a parent's (a frame closed by the platform): the window is told and
  // the driver lets go of it.
  void lose();

  // The live window of the toolkit whose X window this is; null for none.
  static DriverBase* find(::Window window);

protected:
  // A child of parent (a frame when parent is None: a child of the root window).
  DriverBase(IWindow& owner, ::Window parent, const IRectangle& initial, long eventMask,
             const char* instance, const char* className, const char* function);

  // The common operations, forwarded by Driver below.
  void setWindowText(const IString& text);
  IRectangle windowRect() const { return rect_; }
  virtual void showWindow(bool visible);
  virtual void enableWindow(bool enabled) { enabled_ = enabled; }
  void focusWindow();
  virtual void moveSizeWindow(const IRectangle& rect);
  void setWindowLook(const IWindowLook& look);
  void setWindowPointer(const IPointerHandle& pointer);
  void refreshWindow(bool immediate);

  // Whether the window has content of its own to paint into its pixmap.
  virtual bool hasContent() const { return false; }
  // Paints the content on draw, a pixmap of size (the background is not filled yet).
  virtual void paint(XftDraw* draw, Pixmap pixmap, const ISize& size);
  // Paints the content again and shows it.
  void render();
  // Destroys the X window with its children, which are all told; tell: this window is told too.
  void destroyWindow(bool tell);
  // Tells the portable window that its platform window is gone (Driver implements it).
  virtual void gone() = 0;

  Connection& connection_;
  Drawing& drawing_;
  Display* display_;
  ::Window xwindow_ = None;
  ::Window parent_;
  IRectangle rect_;
  IWindowLook look_;
  std::string text_; // UTF-8
  bool shown_ = false, mapped_ = false, enabled_ = true;

private:
  void updateMapping();
  void release();

  IWindow& owner_;
  Pixmap pixmap_ = None;
  ISize pixmapSize_;
  XftDraw* draw_ = nullptr;
};

// The driver interface of one kind (IWindowDriver, IFrameDriver, ITextDriver) on DriverBase.
template <class Interface>
class Driver : public IForwardingDriver<Interface, DriverBase> {
protected:
  Driver(IWindow& owner, ::Window parent, const IRectangle& initial, long eventMask,
         const char* instance, const char* className, const char* function)
      : IForwardingDriver<Interface, DriverBase>(owner, parent, initial, eventMask, instance,
                                                 className, function) {
    this->setHandle(IWindowHandle(this->xwindow_));
  }
  ~Driver() override { this->destroyWindow(false); }
  void gone() override { this->windowGone(this->owner()); }
};

// The shared connection, or the windowing error for function when there is no display.
Connection& requireDisplay(const char* function, unsigned long line);

// The X window of a child's parent; raises the windowing error when the parent has none.
::Window parentOf(const IWindow& parent, const char* function);

// Raises the windowing error for an X call that failed, naming the calling function.
[[noreturn]] void raiseCreateFailure(const char* xcall, const char* function, unsigned long line);

} // namespace IX11

#endif
