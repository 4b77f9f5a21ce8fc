// The X11 backend's posted-event queue, with its wake-up pipe, and the post of the platform calls.
#include "x11/ix11queue.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <deque>
#include <mutex>

#include "iwindow.hpp"
#include "iwindowdriver.hpp"
#include "x11/ix11display.hpp"

namespace {

// Windows' limit for one thread's posted messages; a runaway poster fails instead of eating
// the memory of the process.
const std::size_t kQueueLimit = 10000;

struct QueueState {
  std::mutex lock;
  std::deque<IX11::Posted> queue;
  int wake[2] = {-1, -1};
  std::atomic<bool> endRequested{false};
};

QueueState& state() {
  static QueueState* instance = [] {
    QueueState* made = new QueueState; // never destroyed: posting threads may outlive statics
    if (pipe(made->wake) == 0) {
      for (int fd : made->wake) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    }
    return made;
  }();
  return *instance;
}

void wake() {
  QueueState& s = state();
  if (s.wake[1] >= 0) {
    char byte = 1;
    // A full pipe already guarantees a wake-up.
    ssize_t written = write(s.wake[1], &byte, 1);
    (void)written;
  }
}

} // namespace

namespace IX11 {
namespace PostedQueue {

bool push(const Posted& event) {
  QueueState& s = state();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.queue.size() >= kQueueLimit) {
      errno = EAGAIN;
      return false;
    }
    s.queue.push_back(event);
  }
  wake();
  return true;
}

bool pop(Posted& event) {
  QueueState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.queue.empty())
    return false;
  event = s.queue.front();
  s.queue.pop_front();
  return true;
}

std::size_t size() {
  QueueState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.queue.size();
}

int wakeDescriptor() { return state().wake[0]; }

void drainWake() {
  char buffer[256];
  while (read(state().wake[0], buffer, sizeof buffer) > 0) {
  }
}

void requestEnd() {
  state().endRequested = true;
  wake();
}

bool endRequested() { return state().endRequested.load(); }

bool takeEndRequest() { return state().endRequested.exchange(false); }

} // namespace PostedQueue
} // namespace IX11

bool IWindowPlatform::post(const IWindowHandle& handle, unsigned long eventId, std::uintptr_t p1,
                           std::uintptr_t p2) {
  if (IX11::shared() == nullptr) {
    errno = ENXIO;
    return false;
  }
  // Only windows of this process's toolkit have a queue here; a destroyed window has left the
  // registry, so a stale handle fails as PostMessage fails for one.
  if (!handle.isValid() || IWindow::windowWithHandle(handle) == nullptr) {
    errno = EINVAL;
    return false;
  }
  return IX11::PostedQueue::push(IX11::Posted{handle.asUnsigned(), eventId, p1, p2});
}

