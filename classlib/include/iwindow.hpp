// IWindow: the window base of the toolkit (handles, parents, visibility, geometry, fonts,
// colours, the mouse pointer, events) and the desktop and object windows.
#ifndef IWINDOW_HPP
#define IWINDOW_HPP

#include <memory>
#include <vector>

#include "icolor.hpp"
#include "ifont.hpp"
#include "igeometry.hpp"
#include "ieventnumbers.hpp"
#include "ihandle.hpp"
#include "ihandler.hpp"
#include "istring.hpp"

class IWindowDriver;

// A window of the toolkit. Its platform side is a driver that the window owns (made by the
// derived class's constructor); a window without one (the base alone, the desktop) keeps its
// state in the object only. Windows are made, changed and destroyed by one thread, the one that
// runs the event loop; postEvent may be called from any thread.
class IWindow {
public:
  // Event types that can be posted to a window by type (their Windows message numbers).
  enum EventType {
    command = IEventNumber::command, systemCommand = IEventNumber::systemCommand,
    close = IEventNumber::close, user = IEventNumber::user
  };

  virtual ~IWindow();

  IWindowHandle handle() const noexcept { return handle_; }
  bool isValid() const noexcept { return handle_.isValid(); }
  // The window identifier given at creation (0 for none).
  unsigned long id() const noexcept { return id_; }
  IWindow* parent() const noexcept { return parent_; }

  // Posts an event of type to this window's queue through IWindowHandle::postEvent (for
  // command: WM_COMMAND with p1 and p2). Safe from any thread while the window object lives.
  virtual const IWindow& postEvent(EventType type, const IEventParameter1& p1 = 0,
                                   const IEventParameter2& p2 = 0) const;

  // The window's current text (a frame's title, a control's text); empty for none.
  virtual IString text() const;

  virtual IWindow& show(bool visible = true);
  IWindow& hide() { return show(false); }
  bool isVisible() const noexcept { return visible_; }
  // A disabled window takes no mouse or keyboard input.
  virtual IWindow& enable(bool enabled = true);
  IWindow& disable() { return enable(false); }
  bool isEnabled() const noexcept { return enabled_; }
  // Gives the window the keyboard focus, as far as the platform allows (it refuses a hidden or
  // disabled window without complaint).
  IWindow& setFocus();

  // Position and size in the parent's coordinates (a frame's outer rectangle in the desktop's).
  virtual IWindow& moveSizeTo(const IRectangle& rect);
  virtual IRectangle rect() const;
  ISize size() const { return rect().size(); }
  // The smallest size that shows the window's content; by default its current size.
  virtual ISize minimumSize() const;

  // The font the window was given, else its parent's, else the default font.
  IWindow& setFont(const IFont& font);
  IFont font() const;
  bool hasFont() const noexcept { return hasFont_; }
  // Colours the window was given, else its parent's, else the library's defaults (black on
  // white).
  IWindow& setForegroundColor(const IColor& color);
  IWindow& setBackgroundColor(const IColor& color);
  IColor foregroundColor() const;
  IColor backgroundColor() const;

  // The pointer shown while the mouse is over the window and its children; 0 for the platform
  // default. It changes at once when the mouse is over the window.
  IWindow& setMousePointer(const IPointerHandle& pointer);
  IPointerHandle mousePointer() const noexcept { return pointer_; }

  // Repaints the window; immediate: paints this window and its children now, without running
  // the event loop (what a window needs while its thread is busy elsewhere).
  IWindow& refresh(bool immediate = false);

  // The desktop (the primary monitor) and the library's hidden object window; both live as
  // long as the process and are never deleted by callers. desktopWindow() never fails: without
  // a display (X11) its handle is 0 and a message box owned by it falls back to standard error.
  // objectWindow() raises an IException when no display can be opened.
  static IWindow* desktopWindow();
  static IWindow* objectWindow();

  // Width and height of the desktop (the primary monitor) in pixels; an IException when no
  // display can be opened.
  static long desktopWidth();
  static long desktopHeight();

  // The live window object of this process with the handle; null for none.
  static IWindow* windowWithHandle(const IWindowHandle& handle);

  // Dispatches an event to this window's handlers, newest first; true when one handled it.
  bool dispatchEvent(IEvent& event);
  bool dispatchCommand(unsigned long commandId);
  bool dispatchSystemCommand(unsigned long commandId);

protected:
  IWindow() noexcept;
  // A child window of parent with an identifier.
  IWindow(unsigned long id, IWindow* parent) noexcept;

  // Gives the window its platform side; the driver's window becomes the window's handle.
  void setDriver(std::unique_ptr<IWindowDriver> driver);
  IWindowDriver* driver() const noexcept { return driver_.get(); }
  // Destroys the platform side first (the registry entry goes before it, so that no posted
  // event finds a half-destroyed object); derived destructors call it while they still exist.
  void destroyDriver();

  // Gives the window its platform handle and makes it findable by windowWithHandle; a handle
  // of 0 makes it unfindable (the platform window is gone).
  void setHandle(const IWindowHandle& handle);

  // Called when the window's size has changed (moveSizeTo, or the platform): canvases and
  // frames lay out their children here.
  virtual void sizeChanged();
  // Called when the font or colours the window shows have changed (its own or inherited).
  virtual void lookChanged();
  // Called while a child window is being destroyed: a window that keeps pointers to its
  // children (a frame's client, a canvas's cells) lets go of it, so that no later layout
  // reaches a destroyed window.
  virtual void childDestroyed(IWindow* child);

  const std::vector<IWindow*>& children() const noexcept { return children_; }

private:
  friend class IHandler;
  friend class IWindowDriver;
  IWindow(const IWindow&) = delete;
  IWindow& operator=(const IWindow&) = delete;
  void inheritedLookChanged();

  IWindowHandle handle_;
  unsigned long id_ = 0;
  IWindow* parent_ = nullptr;
  std::vector<IWindow*> children_;
  std::vector<IHandler*> handlers_;
  std::unique_ptr<IWindowDriver> driver_;
  bool visible_ = false, enabled_ = true;
  bool hasFont_ = false, hasForeground_ = false, hasBackground_ = false;
  IFont font_;
  IColor foreground_, background_;
  IPointerHandle pointer_;
};

#endif
