// The launcher's main sequence, in its order: switch, environment, bridge, display.
#include "sequence.hpp"

#include <cstring>

#include "bridgestart.hpp"
#include "discovery.hpp"
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

// Measures the desktop. False (after telling the user) when the launcher is to end: the
// desktop is 800 pixels wide or less, or there is no display to show anything on.
bool checkDisplay(LauncherState& state) {
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
    return false;
  }
  if (state.screenWidth <= smallestRefusedWidth) {
    state.messageBox.show(QuilletText::videoModeTooSmall, displayStyle);
    return false;
  }
  return true;
}

// Builds the main window, whose construction starts the application (on the external route it
// does not return), and runs the event loop while the application lives in this process; a
// start that did not run the application has nothing to keep alive. The window goes when the
// loop ends.
void showMainWindow(LauncherState& state) {
  MainWindow window(mainWindowId, state);
  if (!window.hostsApplication())
    return;
  try {
    IApplication::current().run();
  } catch (IException& exception) {
    state.messageBox.setTitle(QuilletText::titleTessaranError);
    state.messageBox.show(exception);
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

void runMainSequence(LauncherState& state, int argc, const char* const* argv) {
  traceStep("main");
  state.externalStart = isExternalStartSwitch(argc, argv);

  EnvironmentOutcome environment = setUpEnvironment(state);
  traceStep("environment");
  if (environment == EnvironmentOutcome::ended) return;
  if (environment == EnvironmentOutcome::notReady) {
    showNotInstalledMessage();
    return;
  }

  // The VM is created before the display is measured, so that it exists on every later path.
  // It takes most of the start: what the window needs is made ready meanwhile.
  if (!state.externalStart) {
    MainWindow::prepare();
    startBridge(state);
  }

  if (!checkDisplay(state)) return;
  traceStep("display");

  // A failure of the class library while the window is built (a resource that is missing, a
  // window the platform refuses) is told as a failure of the loop is, and the launcher ends.
  try {
    showMainWindow(state);
  } catch (IException& exception) {
    state.messageBox.setTitle(QuilletText::titleTessaranError);
    state.messageBox.show(exception);
  }
}
