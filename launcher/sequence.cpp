// The launcher's main sequence, in its order: switch, environment, bridge, display.
#include "sequence.hpp"

#include <cstring>

#include "bridgestart.hpp"
#include "discovery.hpp"
#include "exitstatus.hpp"
#include "iexcept.hpp"
#include "iapplication.hpp"
#include "iwindow.hpp"
#include "launcherstate.hpp"
#include "mainwindow.hpp"
#include "messages.hpp"
#include "trace.hpp"

namespace {

const char* const externalStartSwitch = "/ajs";
const long smallestRefusedWidth = 800; // this width and less are refused
const unsigned long mainWindowId = 1003;

// Measures the desktop. After telling the user, the status to end with when the launcher is
// to end (the desktop is 800 pixels wide or less, or there is no display to show anything
// on); else 0.
int checkDisplay(LauncherState& state) {
  // Without a display the desktop window has no handle: say so, rather than let the
  // measurement fail.
  long width = 0;
  if (IWindow::desktopWindow()->isValid()) {
    try {
      width = IWindow::desktopWidth();
    } catch (IException&) {
      width = 0; // the display went away in between
    }
  }
  state.screenWidth = static_cast<std::int32_t>(width);
  state.messageBox.setTitle(QuilletText::titleTessaran);
  if (state.screenWidth <= 0) {
    state.messageBox.show(QuilletText::noDisplay, displayStyle);
    return statusOf(ExitStatus::noDisplay);
  }
  if (state.screenWidth <= smallestRefusedWidth) {
    state.messageBox.show(QuilletText::videoModeTooSmall, displayStyle);
    return statusOf(ExitStatus::displayTooSmall);
  }
  return 0;
}

// Builds the main window, whose construction starts the application (on the external route it
// does not return), and runs the event loop while the application lives in this process; a
// start that did not run the application has nothing to keep alive. The window goes when the
// loop ends. While the application runs, the process ends with it (the bridge sees to that):
// an end here means the application could not be started, or the loop failed under it.
int showMainWindow(LauncherState& state) {
  MainWindow window(mainWindowId, state);
  if (!window.hostsApplication())
    return statusOf(ExitStatus::bridgeUnusable);
  try {
    IApplication::current().run();
  } catch (IException& exception) {
    state.messageBox.setTitle(QuilletText::titleTessaranError);
    state.messageBox.show(exception);
  }
  return statusOf(ExitStatus::windowFailed);
}

// The status of an environment set-up that ended the sequence.
int endedStatus(const EnvironmentResult& environment) {
  switch (environment.failure) {
  case EnvironmentResult::pathUnreadable: return statusOf(ExitStatus::pathUnreadable);
  case EnvironmentResult::registryRefused: return statusOf(ExitStatus::registryRefused);
  default: return statusOf(ExitStatus::environmentFailed);
  }
}

} // namespace

bool isExternalStartSwitch(int argc, const char* const* argv) {
  const char* first = nullptr;
  if (argc > 1) {
    first = argv[1];
  } else if (argc > 0) {
    first = argv[0];
  }
  return first != nullptr && std::strcmp(first, externalStartSwitch) == 0;
}

int runMainSequence(LauncherState& state, int argc, const char* const* argv) {
  traceStep("main");
  state.externalStart = isExternalStartSwitch(argc, argv);

  EnvironmentResult environment = setUpEnvironment(state);
  traceStep("environment");
  if (environment.outcome == EnvironmentOutcome::ended) return endedStatus(environment);
  if (environment.outcome == EnvironmentOutcome::notReady) {
    showNotInstalledMessage();
    return statusOf(ExitStatus::notInstalled);
  }

  // The VM is created before the display is measured, so that it exists on every later path.
  // It takes most of the start: what the window needs is made ready meanwhile. Without a
  // bridge the application cannot run whatever comes next: that is the cause to end with.
  int failure = 0;
  if (!state.externalStart) {
    MainWindow::prepare();
    if (!startBridge(state)) failure = statusOf(ExitStatus::bridgeUnusable);
  }

  if (int status = checkDisplay(state)) return failure != 0 ? failure : status;
  traceStep("display");

  // A failure of the class library while the window is built (a resource that is missing, a
  // window the platform refuses) is told as a failure of the loop is, and the launcher ends.
  try {
    return showMainWindow(state);
  } catch (IException& exception) {
    state.messageBox.setTitle(QuilletText::titleTessaranError);
    state.messageBox.show(exception);
    return statusOf(ExitStatus::windowFailed);
  }
}
