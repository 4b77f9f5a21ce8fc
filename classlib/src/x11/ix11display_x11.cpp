// X11 display connections: the shared one (opened once, thread-safe Xlib), private ones for
// dialogs, the atoms the toolkit uses, window names and classes.
#include "x11/ix11display.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "iexcept.hpp"
#include "isystem.hpp"
#include "x11/ix11prepare.hpp"

namespace {

// Xlib's default handler ends the process on any protocol error, such as a BadWindow for an
// owner that another client destroyed. A library must not do that to its program: the
// errors are ignored, and each caller checks what it depends on.
int ignoreError(Display*, XErrorEvent*) { return 0; }

void internAtoms(Display* display, IX11::Atoms& atoms) {
  const char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME", "UTF8_STRING",
                         "_NET_WM_PID", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG",
                         "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_STATE", "_NET_WM_STATE_MODAL",
                         "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_ICON",
                         "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW", "WM_STATE",
                         "_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"};
  Atom values[sizeof names / sizeof names[0]];
  XInternAtoms(display, const_cast<char**>(names), sizeof names / sizeof names[0], False, values);
  Atom* fields[] = {&atoms.wmProtocols, &atoms.wmDeleteWindow, &atoms.netWmName,
                    &atoms.utf8String, &atoms.netWmPid, &atoms.netWmWindowType,
                    &atoms.netWmWindowTypeDialog, &atoms.netWmWindowTypeNormal,
                    &atoms.netWmState, &atoms.netWmStateModal, &atoms.netWmStateAbove,
                    &atoms.netWmStateSkipTaskbar, &atoms.netWmIcon, &atoms.netSupportingWmCheck,
                    &atoms.netActiveWindow, &atoms.wmState, &atoms.netSupported,
                    &atoms.netRequestFrameExtents, &atoms.netFrameExtents};
  for (std::size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i)
    *fields[i] = values[i];
}

std::once_flag threadsOnce;

void initThreads() {
  std::call_once(threadsOnce, [] {
    XInitThreads();
    XSetErrorHandler(ignoreError);
  });
}

bool open(IX11::Connection& connection) {
  initThreads();
  if (IX11::displayName().empty())
    return false;
  connection.display = XOpenDisplay(nullptr);
  if (connection.display == nullptr)
    return false;
  connection.screen = DefaultScreen(connection.display);
  connection.root = RootWindow(connection.display, connection.screen);
  internAtoms(connection.display, connection.atoms);
  return true;
}

} // namespace

IX11::Connection* IX11::shared() {
  static std::once_flag once;
  static Connection* connection = nullptr;
  std::call_once(once, [] {
    Connection* made = new Connection();
    if (open(*made)) {
      connection = made;
    } else {
      delete made;
    }
  });
  return connection;
}

bool IX11::openPrivate(Connection& connection) { return open(connection); }


std::vector<unsigned long> IX11::propertyItems(Display* display, Window window, Atom property,
                                               Atom type, long most) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, property, 0, most, False, type, &actual, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32) {
    const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data != nullptr)
    XFree(data);
  return items;
}

std::string IX11::displayName() {
  std::string name;
  ISystem::environmentValue("DISPLAY", name);
  return name;
}

void IX11::raiseNoDisplay(const char* functionName, unsigned long line) {
  std::string text = displayName().empty()
                         ? std::string("XOpenDisplay: no display to open (DISPLAY is not set)")
                         : "XOpenDisplay: cannot open display \"" + displayName() + "\"";
  raiseError(text.c_str(), ENXIO, IThrowLocation("iwindow", functionName, line),
             IException::invalidRequest, IException::recoverable, IEXC_GROUP_PRESENTATION);
}

std::string IX11::toUtf8(const char* text) {
  if (text == nullptr)
    return std::string();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  bool valid = true;
  for (const unsigned char* q = p; *q != 0 && valid;) {
    int follow = *q < 0x80 ? 0 : (*q & 0xE0) == 0xC0 ? 1 : (*q & 0xF0) == 0xE0 ? 2
                 : (*q & 0xF8) == 0xF0 ? 3 : -1;
    if (follow < 0 || (follow == 1 && *q < 0xC2)) { valid = false; break; }
    ++q;
    for (int i = 0; i < follow; ++i, ++q)
      if ((*q & 0xC0) != 0x80) { valid = false; break; }
  }
  if (valid)
    return std::string(text);
  std::string result;
  for (; *p != 0; ++p) {
    if (*p < 0x80) {
      result += static_cast<char>(*p);
    } else {
      result += static_cast<char>(0xC0 | (*p >> 6));
      result += static_cast<char>(0x80 | (*p & 0x3F));
    }
  }
  return result;
}

void IX11::setName(const Connection& connection, Window window, const std::string& text) {
  char* list[] = {const_cast<char*>(text.c_str())};
  XTextProperty property;
  if (Xutf8TextListToTextProperty(connection.display, list, 1, XUTF8StringStyle, &property) >= 0) {
    XSetWMName(connection.display, window, &property);
    XFree(property.value);
  }
  XChangeProperty(connection.display, window, connection.atoms.netWmName,
                  connection.atoms.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
}

void IX11::setClass(const Connection& connection, Window window, const char* instance,
                    const char* className) {
  XClassHint hint;
  hint.res_name = const_cast<char*>(instance);
  hint.res_class = const_cast<char*>(className);
  XSetClassHint(connection.display, window, &hint);
}

std::string IX11::windowName(const Connection& connection, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(connection.display, window, connection.atoms.netWmName, 0, 65536, False,
                         connection.atoms.utf8String, &type, &format, &count, &after,
                         &data) == Success && data != nullptr && format == 8) {
    result.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return result;
  }
  if (data != nullptr)
    XFree(data);
  char* name = nullptr;
  if (XFetchName(connection.display, window, &name) && name != nullptr) {
    result = name;
    XFree(name);
  }
  return result;
}

IRectangle IX11::primaryMonitor(const Connection& c) {
  Display* d = c.display;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (XRRQueryExtension(d, &eventBase, &errorBase) && XRRQueryVersion(d, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 3))) {
    RROutput primary = XRRGetOutputPrimary(d, c.root);
    if (primary != None) {
      IRectangle found;
      if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, c.root)) {
        if (XRROutputInfo* output = XRRGetOutputInfo(d, resources, primary)) {
          if (output->crtc != None)
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(d, resources, output->crtc)) {
              found = IRectangle(IPoint(crtc->x, crtc->y), ISize(crtc->width, crtc->height));
              XRRFreeCrtcInfo(crtc);
            }
          XRRFreeOutputInfo(output);
        }
        XRRFreeScreenResources(resources);
      }
      if (!found.isEmpty())
        return found;
    }
  }
  if (XineramaQueryExtension(d, &eventBase, &errorBase) && XineramaIsActive(d)) {
    int count = 0;
    IRectangle found;
    if (XineramaScreenInfo* screens = XineramaQueryScreens(d, &count)) {
      if (count > 0)
        found = IRectangle(IPoint(screens[0].x_org, screens[0].y_org),
                           ISize(screens[0].width, screens[0].height));
      XFree(screens);
    }
    if (!found.isEmpty())
      return found;
  }
  return IRectangle(0, 0, DisplayWidth(d, c.screen), DisplayHeight(d, c.screen));
}
