// The X11 backend's display connections, atoms, window names and text helpers.
#ifndef IX11DISPLAY_HPP
#define IX11DISPLAY_HPP

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "igeometry.hpp"

namespace IX11 {

struct Atoms {
  Atom wmProtocols, wmDeleteWindow, netWmName, utf8String, netWmPid, netWmWindowType,
      netWmWindowTypeDialog, netWmWindowTypeNormal, netWmState, netWmStateModal, netWmStateAbove,
      netWmStateSkipTaskbar, netWmIcon, netSupportingWmCheck, netActiveWindow, wmState, netSupported,
      netRequestFrameExtents, netFrameExtents;
};

struct Connection {
  Display* display;
  int screen;
  Window root;
  Atoms atoms;
};

// The process's shared connection, opened at the first use (after XInitThreads, so that
// posting threads and the event loop can share Xlib); null when no display can be opened.
Connection* shared();

// A connection of its own for a modal dialog, so that a box shown on any thread never takes
// events from the event loop's connection; false when no display can be opened. Never closed
// once Xft drew on it (the message box keeps its connections, and says why).
bool openPrivate(Connection& connection);

// The display name tried ($DISPLAY), for error texts.
std::string displayName();

// Raises the library's windowing error for a missing display, naming the display.
[[noreturn]] void raiseNoDisplay(const char* functionName, unsigned long line);

// Sets WM_NAME and _NET_WM_NAME to text (UTF-8; Latin-1 input is converted), so that
// xdotool and xwininfo find the window by its text.
void setName(const Connection& connection, Window window, const std::string& text);
// Sets WM_CLASS.
void setClass(const Connection& connection, Window window, const char* instance,
              const char* className);
// The window's _NET_WM_NAME, else its WM_NAME; empty for none.
std::string windowName(const Connection& connection, Window window);

// A property of 32-bit items (atoms, windows, cardinals) of window, at most most of them;
// empty when the window has none of that type (Xlib hands format 32 over as longs).
std::vector<unsigned long> propertyItems(Display* display, Window window, Atom property,
                                         Atom type, long most);

// The primary monitor: RandR's primary output, else the first Xinerama screen, else the root
// window (whose size spans every monitor). The desktop window is this rectangle, as on Windows,
// where the desktop window is the primary monitor: what is centred on it stays on one monitor.
IRectangle primaryMonitor(const Connection& connection);

// text as UTF-8: kept when it is valid UTF-8, else read as Latin-1.
std::string toUtf8(const char* text);

} // namespace IX11

#endif
