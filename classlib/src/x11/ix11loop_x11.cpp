// The X11 backend's event loop on the shared connection: X events to their windows' drivers,
// then the posted events, each as Windows' DispatchMessage and DefWindowProc would treat it.
#include <X11/Xlib.h>

#include <poll.h>

#include <cerrno>

#include "iexcept.hpp"
#include "ieventnumbers.hpp"
#include "x11/ix11queue.hpp"
#include "x11/ix11window.hpp"

namespace {

using IX11::Posted;
namespace Queue = IX11::PostedQueue;

// One posted event, as Windows' DispatchMessage and DefWindowProc would treat it.
void dispatchPosted(const Posted& event) {
  IWindow* window = IWindow::windowWithHandle(IWindowHandle(event.window));
  if (window == nullptr)
    return; // destroyed after the post: the event goes with the window
  auto close = [&] {
    if (IX11::DriverBase* driver = IX11::DriverBase::find(static_cast<Window>(event.window)))
      driver->closeWindow();
  };
  switch (event.eventId) {
  case IEventNumber::command:
    window->dispatchCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber());
    break;
  case IEventNumber::systemCommand:
    if (!window->dispatchSystemCommand(IEventData(static_cast<unsigned long>(event.p1)).lowNumber()) &&
        (event.p1 & 0xFFF0) == IEventNumber::closeCommand)
      close();
    break;
  case IEventNumber::close:
    close();
    break;
  default:
    break;
  }
}

// Handles what is waiting: X events, then the posted events queued so far, one at a time,
// stopping early when exit() was called and stopOnExit is set. True when it stopped early.
bool processPending(IX11::Connection& connection, bool stopOnExit) {
  Display* d = connection.display;
  while (XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    if (IX11::DriverBase* driver = IX11::DriverBase::find(event.xany.window))
      driver->handleEvent(event);
    if (stopOnExit && Queue::endRequested())
      return true;
  }
  // Only the events that were there when this round began: a handler that posts again must
  // not keep the loop from reading the display.
  Posted event;
  for (std::size_t waiting = Queue::size(); waiting > 0 && Queue::pop(event); --waiting) {
    dispatchPosted(event);
    if (stopOnExit && Queue::endRequested())
      return true;
  }
  return false;
}

} // namespace

void IWindowPlatform::run() {
  IX11::Connection& c = IX11::requireDisplay("IApplication::run()", __LINE__);
  int xfd = ConnectionNumber(c.display);
  for (;;) {
    if (Queue::takeEndRequest())
      return;
    if (processPending(c, true)) {
      Queue::takeEndRequest();
      return;
    }
    XFlush(c.display);
    if (Queue::size() > 0 || XPending(c.display) > 0 || Queue::endRequested())
      continue;
    pollfd fds[2] = {{xfd, POLLIN, 0}, {Queue::wakeDescriptor(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR)
      raiseSystemError(static_cast<unsigned long>(errno), "poll",
                       IThrowLocation("iwindow", "IApplication::run()", __LINE__));
    if (fds[1].revents & POLLIN)
      Queue::drainWake();
  }
}

void IWindowPlatform::processEvents() {
  IX11::Connection* c = IX11::shared();
  if (c == nullptr)
    return; // nothing can be waiting without a display
  Queue::drainWake();
  processPending(*c, false);
  XFlush(c->display);
}

void IWindowPlatform::exit() { Queue::requestEnd(); }
