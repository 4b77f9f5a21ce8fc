// The system layer's portable part: the environment's settling, and path lists.
#include "isystem.hpp"

#include <condition_variable>
#include <mutex>
#include <new>

namespace {

// Never destroyed: a detached thread may still wait on it while the process ends.
struct Settling {
  std::mutex lock;
  std::condition_variable settled;
  bool isSettled = false;
};

Settling& settling() {
  static Settling* const made = new Settling;
  return *made;
}

} // namespace

namespace ISystem {

void settleEnvironment() {
  Settling& s = settling();
  {
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.isSettled)
      return;
    s.isSettled = true;
  }
  s.settled.notify_all();
}

void awaitSettledEnvironment() {
  Settling& s = settling();
  std::unique_lock<std::mutex> hold(s.lock);
  s.settled.wait(hold, [&] { return s.isSettled; });
}

std::vector<std::string> splitPathList(const std::string& list, char separator) {
  std::vector<std::string> entries;
  try {
    std::string::size_type start = 0;
    for (;;) {
      const std::string::size_type end = list.find(separator, start);
      entries.push_back(list.substr(start, end == std::string::npos ? end : end - start));
      if (end == std::string::npos)
        return entries;
      start = end + 1;
    }
  } catch (const std::bad_alloc&) {
    return std::vector<std::string>();
  }
}

} // namespace ISystem
