// Events as handlers see them, the handler base and the command handler.
#ifndef IHANDLER_HPP
#define IHANDLER_HPP

#include <vector>

#include "ieventnumbers.hpp"
#include "ihandle.hpp"

class IWindow;

// An event of a window: its Windows message number and its two words.
class IEvent {
public:
  IEvent(IWindow* window, unsigned long eventId, const IEventParameter1& p1 = 0,
         const IEventParameter2& p2 = 0) noexcept
      : window_(window), eventId_(eventId), p1_(p1), p2_(p2) {}
  IWindow* window() const noexcept { return window_; }
  unsigned long eventId() const noexcept { return eventId_; }
  const IEventParameter1& parameter1() const noexcept { return p1_; }
  const IEventParameter2& parameter2() const noexcept { return p2_; }

private:
  IWindow* window_;
  unsigned long eventId_;
  IEventParameter1 p1_;
  IEventParameter2 p2_;
};

// A command (WM_COMMAND) or system-command (WM_SYSCOMMAND) event: its command id is the low
// half of the first word.
class ICommandEvent : public IEvent {
public:
  enum { command = IEventNumber::command, systemCommand = IEventNumber::systemCommand };
  ICommandEvent(IWindow* window, unsigned long eventId, unsigned long commandId) noexcept
      : IEvent(window, eventId, IEventParameter1(commandId)), commandId_(commandId) {}
  unsigned long commandId() const noexcept { return commandId_; }
  bool isSystemCommand() const noexcept { return eventId() == systemCommand; }

private:
  unsigned long commandId_;
};

// Receives the events of the windows it is attached to, newest handler first. Answering false
// leaves the event to the next handler and finally to the platform's default processing. A
// handler lets go of its windows when it is destroyed, and a window of its handlers.
class IHandler {
public:
  virtual ~IHandler();
  IHandler& handleEventsFor(IWindow* window);
  IHandler& stopHandlingEventsFor(IWindow* window);

protected:
  IHandler() = default;
  // One event of an attached window; true when handled.
  virtual bool dispatchHandlerEvent(IEvent& event) = 0;

private:
  friend class IWindow;
  IHandler(const IHandler&) = delete;
  IHandler& operator=(const IHandler&) = delete;
  std::vector<IWindow*> windows_;
};

// Handles command events: menu and accelerator commands and posted commands (command), and the
// system menu's and title-bar buttons' commands (systemCommand). Neither is handled unless
// overridden.
class ICommandHandler : public IHandler {
public:
  virtual bool command(ICommandEvent& event);
  virtual bool systemCommand(ICommandEvent& event);

protected:
  bool dispatchHandlerEvent(IEvent& event) override;
};

#endif
