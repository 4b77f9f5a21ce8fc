// LauncherState: the launcher's process-wide state, and the two message styles it uses.
#ifndef LAUNCHERSTATE_HPP
#define LAUNCHERSTATE_HPP

#include <cstdint>

#include "imsgbox.hpp"
#include "istring.hpp"

class IDynamicLinkLibrary;

struct LauncherState {
  // The shared message box is owned by the desktop window. Making it must not fail when no
  // display can be opened: the state is built before main runs, where a failure could not be
  // reported.
  LauncherState();
  LauncherState(const LauncherState&) = delete;
  LauncherState& operator=(const LauncherState&) = delete;

  bool externalStart = false;       // started with "/ajs": the runtime's java replaces us
  IString javaHome;                 // the runtime's home from the registry; empty if unknown
  // The runtime library that the registry names ("RuntimeLib", a full path), the one file that
  // the bridge start-up loads as the runtime; empty when the runtime was found through the
  // marker on PATH instead.
  IString runtimeLibraryPath;
  std::int32_t screenWidth = 0;     // desktop width in pixels, measured by the display check
  // The loaded runtime library and bridge. Never released: the virtual machine they host lives
  // as long as the process.
  IDynamicLinkLibrary* runtimeLibrary = nullptr;
  IDynamicLinkLibrary* bridgeLibrary = nullptr;
  // The bridge start-up succeeded: the virtual machine exists and the application can run in
  // this process.
  bool bridgeReady = false;
  IMessageBox messageBox;           // shown by every message but the not-installed one
};

// Both styles show one OK button: the user's answer is never used.
// Failure style: PATH unreadable, not installed, bridge unusable.
extern const IMessageBox::Style failureStyle;
// Display style: the display is too small (or missing): a warning rather than a failure.
extern const IMessageBox::Style displayStyle;

#endif
