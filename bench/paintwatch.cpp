// paintwatch: when did a splash window's picture get complete? For the start-up benchmark.
//
//   paintwatch READY_FILE RESULT_FILE
//
// Watches the display for the first top-level window that is mapped and takes, through the
// Damage extension, every drawing the server does on the screen from then on, until that window
// is unmapped or destroyed (the process shown it has reached main and ended). The time of the
// last drawing inside the window before that is its first complete paint: the splash draws its
// picture and texts once and then waits. Writes READY_FILE when it watches, and then the time
// (microseconds since the epoch, taken as each event arrives) to RESULT_FILE, or 0 when no window
// was shown within a minute.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <sys/time.h>

#include <cstdio>

namespace {

long long nowMicros() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  return tv.tv_sec * 1000000LL + tv.tv_usec;
}

bool writeNumber(const char* file, long long value) {
  FILE* f = std::fopen(file, "w");
  if (f == nullptr)
    return false;
  std::fprintf(f, "%lld\n", value);
  return std::fclose(f) == 0;
}

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  bool overlaps(int ox, int oy, int ow, int oh) const {
    return ox < x + width && x < ox + ow && oy < y + height && y < oy + oh;
  }
};

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: paintwatch READY_FILE RESULT_FILE\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "paintwatch: cannot open the display\n");
    return 1;
  }
  int damageEvent = 0, damageError = 0;
  if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
    std::fprintf(stderr, "paintwatch: the display has no Damage extension\n");
    return 1;
  }
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  // The root's damage takes in the drawing of every window on the screen.
  XDamageCreate(display, root, XDamageReportRawRectangles);
  XSync(display, False);
  if (!writeNumber(argv[1], nowMicros()))
    return 1;

  Window watched = 0;
  Box where;
  long long lastPaint = 0;
  const long long giveUp = nowMicros() + 60 * 1000000LL;
  for (;;) {
    if (!XPending(display)) {
      pollfd fd = {ConnectionNumber(display), POLLIN, 0};
      if (poll(&fd, 1, 100) == 0 && nowMicros() > giveUp)
        break;
      if (!XPending(display))
        continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    const long long at = nowMicros();
    if (event.type == MapNotify && watched == 0) {
      // The first window shown, override-redirect or not (the JDK's splash is one).
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, event.xmap.window, &attributes)) {
        watched = event.xmap.window;
        where = {attributes.x, attributes.y, attributes.width, attributes.height};
      }
    } else if (event.type == ConfigureNotify && event.xconfigure.window == watched) {
      where = {event.xconfigure.x, event.xconfigure.y, event.xconfigure.width,
               event.xconfigure.height};
    } else if ((event.type == UnmapNotify && event.xunmap.window == watched) ||
               (event.type == DestroyNotify && event.xdestroywindow.window == watched)) {
      break;
    } else if (event.type == damageEvent + XDamageNotify && watched != 0) {
      const XDamageNotifyEvent& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
      if (where.overlaps(damage.area.x, damage.area.y, damage.area.width, damage.area.height))
        lastPaint = at;
    }
  }
  return writeNumber(argv[2], lastPaint) ? 0 : 1;
}
