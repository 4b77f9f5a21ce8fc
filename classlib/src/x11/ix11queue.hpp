// The X11 backend's posted-event queue: events that any thread posts to a window of the toolkit,
// waiting for the window thread's event loop, and the pipe that wakes the loop when one comes.
#ifndef IX11QUEUE_HPP
#define IX11QUEUE_HPP

#include <cstddef>
#include <cstdint>

#include "ihandle.hpp"

namespace IX11 {

struct Posted {
  IWindowHandle::Value window;
  unsigned long eventId;
  std::uintptr_t p1, p2;
};

namespace PostedQueue {

// Queues event and wakes the loop; false (errno EAGAIN) when the queue is full.
bool push(const Posted& event);
// The oldest event, taken off the queue; false when there is none.
bool pop(Posted& event);
std::size_t size();

// The descriptor that becomes readable when the loop is to wake (an event came, or an end was
// asked for); -1 when the pipe could not be made. drainWake empties it.
int wakeDescriptor();
void drainWake();
// Asks the loop to end and wakes it; takeEndRequest answers and clears the request.
void requestEnd();
bool endRequested();
bool takeEndRequest();

} // namespace PostedQueue
} // namespace IX11

#endif
