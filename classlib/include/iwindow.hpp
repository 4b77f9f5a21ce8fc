// The first piece of the window toolkit: window handles, windows, posted events, command
// handlers and the application's event loop.
#ifndef IWINDOW_HPP
#define IWINDOW_HPP

#include <cstdint>
#include <vector>

#include "istring.hpp"

// One word of an event, with its low and high 16-bit halves (a WM_COMMAND's command id is the
// low half of its first parameter).
class IEventData {
public:
  IEventData(unsigned long value = 0) noexcept : value_(static_cast<std::uintptr_t>(value)) {}
  IEventData(std::uint16_t low, std::uint16_t high) noexcept
      : value_(static_cast<std::uintptr_t>(low) | (static_cast<std::uintptr_t>(high) << 16)) {}
  std::uintptr_t asUnsignedLong() const noexcept { return value_; }
  std::uint16_t lowNumber() const noexcept { return static_cast<std::uint16_t>(value_ & 0xFFFF); }
  std::uint16_t highNumber() const noexcept { return static_cast<std::uint16_t>((value_ >> 16) & 0xFFFF); }

private:
  std::uintptr_t value_;
};
typedef IEventData IEventParameter1;
typedef IEventData IEventParameter2;

// The platform's window handle: an HWND on Windows, an X window id on X11; 0 for none.
class IWindowHandle {
public:
  typedef std::uintptr_t Value;
  IWindowHandle(Value value = 0) noexcept : value_(value) {}
  Value asUnsigned() const noexcept { return value_; }
  bool isValid() const noexcept { return value_ != 0; }
  bool operator==(const IWindowHandle& other) const noexcept { return value_ == other.value_; }
  bool operator!=(const IWindowHandle& other) const noexcept { return value_ != other.value_; }

  // Queues an event (a Windows message number: 0x0111 for a command) for the window's thread
  // and returns at once; safe from any thread. A failure (no such window, a full queue, no
  // display) raises the windowing error for "WinPostMsg" (IInvalidParameter, recoverable).
  void postEvent(unsigned long eventId, const IEventParameter1& p1 = 0,
                 const IEventParameter2& p2 = 0) const;

private:
  Value value_;
};

class IWindow;

// A command or system-command event as the window's handlers see it.
class ICommandEvent {
public:
  ICommandEvent(IWindow* window, unsigned long commandId) noexcept
      : window_(window), commandId_(commandId) {}
  IWindow* window() const noexcept { return window_; }
  unsigned long commandId() const noexcept { return commandId_; }

private:
  IWindow* window_;
  unsigned long commandId_;
};

// Handles the command events of the windows it is attached to. Returning false leaves the
// event to the next handler and finally to the platform's default processing. A handler
// detaches itself from its windows when it is destroyed, and a window from its handlers.
class ICommandHandler {
public:
  ICommandHandler() = default;
  virtual ~ICommandHandler();
  // WM_COMMAND: menu, accelerator and posted commands.
  virtual bool command(ICommandEvent& event) = 0;
  // WM_SYSCOMMAND: system menu and title-bar buttons; not handled unless overridden.
  virtual bool systemCommand(ICommandEvent& event);
  ICommandHandler& handleEventsFor(IWindow* window);
  ICommandHandler& stopHandlingEventsFor(IWindow* window);

private:
  friend class IWindow;
  ICommandHandler(const ICommandHandler&) = delete;
  ICommandHandler& operator=(const ICommandHandler&) = delete;
  std::vector<IWindow*> windows_;
};

class IWindow {
public:
  // Event types that can be posted to a window by type (their Windows message numbers).
  enum EventType { command = 0x0111, systemCommand = 0x0112, close = 0x0010, user = 0x0400 };

  virtual ~IWindow();

  IWindowHandle handle() const noexcept { return handle_; }
  bool isValid() const noexcept { return handle_.isValid(); }

  // Posts an event of type to this window's queue through IWindowHandle::postEvent (for
  // command: WM_COMMAND with p1 and p2). Safe from any thread while the window object lives.
  virtual const IWindow& postEvent(EventType type, const IEventParameter1& p1 = 0,
                                   const IEventParameter2& p2 = 0) const;

  // The window's current text (a frame's title); empty for a window without text.
  virtual IString text() const;

  // The desktop (root) window and the library's hidden object window; both live as long as
  // the process and are never deleted by callers. desktopWindow() never fails: without a
  // display (X11) its handle is 0 and a message box owned by it falls back to standard error.
  // objectWindow() raises an IException when no display can be opened.
  static IWindow* desktopWindow();
  static IWindow* objectWindow();

  // Width and height of the desktop in pixels; an IException when no display can be opened.
  static long desktopWidth();
  static long desktopHeight();

  // The live window object of this process with the handle; null for none.
  static IWindow* windowWithHandle(const IWindowHandle& handle);

  // Dispatches a command (or system-command) event to this window's handlers, newest first;
  // true when one handled it.
  bool dispatchCommand(unsigned long commandId);
  bool dispatchSystemCommand(unsigned long commandId);

protected:
  IWindow() noexcept;
  // Gives the window its platform handle and makes it findable by windowWithHandle; a handle
  // of 0 makes it unfindable (the platform window is gone).
  void setHandle(const IWindowHandle& handle);

private:
  friend class ICommandHandler;
  IWindow(const IWindow&) = delete;
  IWindow& operator=(const IWindow&) = delete;

  IWindowHandle handle_;
  std::vector<ICommandHandler*> handlers_;
};

// The process's application object and its event loop. One thread runs the loop: the thread
// that creates the windows. Posted events wait in the queue until that thread runs or
// processes events.
class IApplication {
public:
  static IApplication& current();
  // Runs the calling thread's event loop until the application is ended with exit().
  IApplication& run();
  // Processes the events that are waiting, then returns.
  IApplication& processEvents();
  // Ends the event loop once the event being handled returns; from any thread. Called while
  // no loop runs, it makes the next run() return at once.
  IApplication& exit();

private:
  IApplication() = default;
};

#endif
