// The hooks that each window-system backend (win32/, x11/) provides to the portable toolkit:
// one driver per window, made by the backend's factories, and the platform's calls.
#ifndef IWINDOWDRIVER_HPP
#define IWINDOWDRIVER_HPP

#include <cstdint>
#include <memory>
#include <utility>

#include "iframe.hpp"
#include "istatictext.hpp"
#include "iwindow.hpp"

// What a window shows besides its content: its font and colours, resolved through the
// window's parents (a window that was given none shows its parent's).
struct IWindowLook {
  IFont font;
  IColor foreground;
  IColor background;
};

// The platform side of one window. The backend's driver creates the platform window in its
// constructor (raising the windowing error when it cannot), keeps it in step with the window and
// destroys it in its destructor. The portable window keeps the state (text, visibility, look) and
// tells the driver each change; the driver tells the window what the platform did on its own
// (windowGone, windowSized). A child driver's platform window is a child of its parent's.
class IWindowDriver {
public:
  virtual ~IWindowDriver();

  // The platform window; 0 once the platform destroyed it.
  IWindowHandle handle() const noexcept { return handle_; }

  // The window's text as the platform shows it: a frame's title, a control's text (which is
  // also its window text or X11 name, for tools and tests).
  virtual void setText(const IString& text) = 0;
  virtual void show(bool visible) = 0;
  virtual void enable(bool enabled) = 0;
  virtual void setFocus() = 0;
  // In the parent's coordinates; a frame's outer rectangle in the desktop's.
  virtual void moveSizeTo(const IRectangle& rect) = 0;
  virtual IRectangle rect() const = 0;
  virtual void setLook(const IWindowLook& look) = 0;
  // 0: the platform's default pointer (a child then shows its parent's).
  virtual void setPointer(const IPointerHandle& pointer) = 0;
  // Repaints; immediate: this window and its children now, without the event loop.
  virtual void refresh(bool immediate) = 0;

  // --- the backend's factories ---------------------------------------------------------------
  static std::unique_ptr<class IFrameDriver> newFrame(IFrameWindow& frame, const IString& title,
                                                     const IFrameWindow::Style& style,
                                                     const ISize& size);
  static std::unique_ptr<IWindowDriver> newCanvas(IWindow& canvas, IWindow& parent,
                                                  const IRectangle& initial);
  static std::unique_ptr<class ITextDriver> newStaticText(IWindow& control, IWindow& parent,
                                                         const IRectangle& initial);
  // A child of the frame, outside its client window; the frame places it.
  static std::unique_ptr<class ITextDriver> newInfoArea(IWindow& area, IFrameWindow& frame);
  static std::unique_ptr<IWindowDriver> newBitmap(IWindow& control, IWindow& parent,
                                                  const IBitmapHandle& bitmap,
                                                  const IRectangle& initial);

protected:
  IWindowDriver() = default;
  // The backend's constructor sets the platform window it made.
  void setHandle(const IWindowHandle& handle) noexcept { handle_ = handle; }
  // The platform destroyed the window on its own (a close): the window loses its handle.
  void windowGone(IWindow& window);
  // The platform changed the window's size (the user, the window manager).
  static void windowSized(IWindow& window);

private:
  IWindowDriver(const IWindowDriver&) = delete;
  IWindowDriver& operator=(const IWindowDriver&) = delete;
  IWindowHandle handle_;
};

// A frame's platform side: its client area, its decorations and its platform resources.
class IFrameDriver : public IWindowDriver {
public:
  // The area inside border, title bar and menu, in the frame's coordinates (from 0, 0): where
  // the client window and the extensions go.
  virtual IRectangle clientArea() const = 0;
  // The outer rectangle (desktop coordinates) whose client area is clientArea (desktop
  // coordinates).
  virtual IRectangle frameRectFor(const IRectangle& clientArea) const = 0;
  virtual void setIcon(const IPointerHandle& icon) = 0;
  // Clears the application-window style (Windows), sets _NET_WM_STATE_SKIP_TASKBAR (X11).
  virtual void removeFromTaskBar() = 0;
  // Keys of the table become command events of the frame while the event loop runs.
  virtual void setAccelerators(const IAccelTblHandle& table) = 0;
};

// A control that shows one line of text: a static text, an information area.
class ITextDriver : public IWindowDriver {
public:
  // The room between a control's edges and its text, and the border line's height, in pixels:
  // the portable minimum sizes count them and the backends draw inside them.
  static constexpr long staticTextMarginX = 2, staticTextMarginY = 1;
  static constexpr long infoAreaMarginX = 4, infoAreaMarginY = 2, infoAreaBorder = 1;

  virtual void setAlignment(IStaticText::Alignment alignment) = 0;
  // A line along the top edge that sets an information area off from what is above it.
  virtual void setBorder(bool on) = 0;
};

// A driver interface of one kind (IWindowDriver, IFrameDriver, ITextDriver) on a backend's
// driver base: each common operation forwarded to the base's, which the backend writes once
// for every kind (setWindowText, showWindow, enableWindow, focusWindow, moveSizeWindow,
// windowRect, setWindowLook, setWindowPointer, refreshWindow).
template <class Interface, class Base>
class IForwardingDriver : public Interface, public Base {
public:
  void setText(const IString& text) override { this->setWindowText(text); }
  void show(bool visible) override { this->showWindow(visible); }
  void enable(bool enabled) override { this->enableWindow(enabled); }
  void setFocus() override { this->focusWindow(); }
  void moveSizeTo(const IRectangle& rect) override { this->moveSizeWindow(rect); }
  IRectangle rect() const override { return this->windowRect(); }
  void setLook(const IWindowLook& look) override { this->setWindowLook(look); }
  void setPointer(const IPointerHandle& handle) override { this->setWindowPointer(handle); }
  void refresh(bool immediate) override { this->refreshWindow(immediate); }

protected:
  template <class... Arguments>
  explicit IForwardingDriver(Arguments&&... arguments)
      : Base(std::forward<Arguments>(arguments)...) {}
};

namespace IWindowPrivate {
// Whether window is the library's object window (without making one).
bool isObjectWindow(const IWindow* window);
// The parent a child window needs; a null parent fails the parameter check of the child's
// constructor (named by fileName and functionName).
IWindow& requireParent(IWindow* parent, const char* fileName, const char* functionName);
} // namespace IWindowPrivate

namespace IWindowPlatform {
// The desktop's handle; 0 when there is no display to open (X11).
IWindowHandle desktopHandle();
// The desktop window's rectangle: the primary monitor (RandR's primary output, else the first
// Xinerama screen, else the root window on X11). Raises when there is no display.
IRectangle desktopRect();
// A new hidden object window; raises when it cannot be made.
IWindowHandle newObjectWindow();
// The platform window's current text (empty for none).
IString windowText(const IWindowHandle& handle);
// The size of text drawn in font on the display (one line; 0 x 0 without a display).
ISize textExtent(const IString& text, const IFont& font);
// Height of one line of font (ascent plus descent) on the display.
long lineHeight(const IFont& font);
// Queues the event; false with the thread's last error code set when it cannot.
bool post(const IWindowHandle& handle, unsigned long eventId, std::uintptr_t p1, std::uintptr_t p2);
// The event loop of the calling thread.
void run();
void processEvents();
void exit();
} // namespace IWindowPlatform

#endif
