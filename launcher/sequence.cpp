// The launcher's main sequence, in its order: switch, environment, bridge, display, window,
// application start, event loop.
#include "sequence.hpp"

#include <cstring>

#include "appstart.hpp"
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

// A failure of the class library under the window: told, with the status to end with.
int tellWindowFailure(LauncherState& state, IException& exception) {
  state.messageBox.setTitle(QuilletText::titleTessaranError);
  state.messageBox.show(exception);
  return statusOf(ExitStatus::windowFailed);
}

// Runs the event loop, which keeps the process alive while the application lives in it; the
// process then ends with the application (the bridge sees to that). An end here means that the
// loop failed under it.
int runEventLoop(LauncherState& state) {
  try {
    IApplication::current().run();
  } catch (IException& exception) {
    return tellWindowFailure(state, exception);
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

  // The window lives until the sequence ends, which only a start that did not run the
  // application or a failed event loop lets it do. A failure of the class library while the
  // window is built or shown (a resource that is missing, a window the platform refuses) is
  // told as a failure of the loop is, once the window is gone.
  try {
    MainWindow window(mainWindowId);
    window.show();
    traceStep("window-shown");
    // On the external route the runtime's java takes the process's place: no return.
    if (state.externalStart)
      startExternally(window, state);
    // A start that did not run the application has nothing to keep alive.
    if (!startInProcess(window, state))
      return statusOf(ExitStatus::bridgeUnusable);
    return runEventLoop(state);
  } catch (IException& exception) {
    return tellWindowFailure(state, exception);
  }
}
