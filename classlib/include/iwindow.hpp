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

  // Queues an event for the window's thread and returns at once; safe from any thread. A
  // failure raises the windowing error for "WinPostMsg" (IInvalidParameter, recoverable).
  void postEvent(unsigned long eventId, const IEventParameter1& p1 = 0,
                 const IEventParameter2& p2 = 0) const;

private:
  Value value_;
};

class IWindow;

// A command event as the window's handlers see it.
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
// event to the next handler and finally to the platform's default processing.
class ICommandHandler {
public:
  virtual ~ICommandHandler();
  virtual bool command(ICommandEvent& event) = 0;
  ICommandHandler& handleEventsFor(IWindow* window);
  ICommandHandler& stopHandlingEventsFor(IWindow* window);
};

class IWindow {
public:
  // Event types that can be posted to a window by type.
  enum EventType { command = 0x0111, systemCommand = 0x0112, close = 0x0010, user = 0x0400 };

  virtual ~IWindow();

  IWindowHandle handle() const noexcept { return handle_; }
  bool isValid() const noexcept { return handle_.isValid(); }

  // Posts an event of type to this window's queue (for command: WM_COMMAND with p1 and p2).
  virtual const IWindow& postEvent(EventType type, const IEventParameter1& p1 = 0,
                                   const IEventParameter2& p2 = 0) const;

  // The window's current text (a frame's title); empty for a window without text.
  virtual IString text() const;

  // The desktop (root) window and the library's hidden object window; both live as long as
  // the process and are never deleted by callers.
  static IWindow* desktopWindow();
  static IWindow* objectWindow();

  // Width and height of the desktop in pixels.
  static long desktopWidth();
  static long desktopHeight();

  // Dispatches a command event to this window's handlers, newest first; true when handled.
  bool dispatchCommand(unsigned long commandId);

protected:
  IWindow() noexcept;
  void setHandle(const IWindowHandle& handle) noexcept { handle_ = handle; }

private:
  friend class ICommandHandler;
  IWindow(const IWindow&) = delete;
  IWindow& operator=(const IWindow&) = delete;

  IWindowHandle handle_;
  std::vector<ICommandHandler*> handlers_;
};

// The process's application object and its event loop.
class IApplication {
public:
  static IApplication& current();
  // Runs the calling thread's event loop until the application is ended.
  IApplication& run();
  // Processes the events that are waiting, then returns.
  IApplication& processEvents();
  // Ends the event loop once the event being handled returns.
  IApplication& exit();

private:
  IApplication() = default;
};

#endif
