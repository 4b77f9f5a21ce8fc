// The exit status of every end of quillet that did not run the application, one per cause, so
// that a script or a service manager can tell a failed start from a finished application.
#ifndef EXITSTATUS_HPP
#define EXITSTATUS_HPP

// The application's own ends keep the statuses java gives them: 0 once main has returned and
// no thread of it is left, 1 after an exception escaped main, n after System.exit(n). The
// bridge's own fatal ends (no VM, no start class, no main) end with 1, as java does for the
// same failures. 2 is left out: shells and tools use it for a command used wrongly.
enum class ExitStatus : int {
  notInstalled = 3,        // no runtime registered (or the route's runtime file is not named)
  pathUnreadable = 4,      // PATH missing or empty
  environmentFailed = 5,   // the set-up failed (the current directory cannot be read)
  registryRefused = 6,     // the registry may not be trusted (or read)
  bridgeUnusable = 7,      // the runtime library, the bridge or an entry point cannot be had
  noDisplay = 8,           // no display to show anything on
  displayTooSmall = 9,     // the desktop is 800 pixels wide or less
  externalStartFailed = 10, // /ajs: the runtime's java cannot be started
  windowFailed = 11,       // the main window cannot be built, or its event loop failed
};

inline int statusOf(ExitStatus status) { return static_cast<int>(status); }

#endif
