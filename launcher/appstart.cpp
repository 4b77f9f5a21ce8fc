// The application start, both routes, in their order.
#include "appstart.hpp"

#include "bridgestart.hpp"
#include "exitstatus.hpp"
#include "ienviron.hpp"
#include "iexcept.hpp"
#include "iprocess.hpp"
#include "launcherstate.hpp"
#include "mainwindow.hpp"
#include "messages.hpp"
#include "quillet_md.hpp"
#include "trace.hpp"

namespace {

const char* const setWindowEntry = "DymSetRTNPtr";
const char* const callMainEntry = "DymCallJavaCodeMP";
const char* const startClass = "com/obel/dorntools/quillet/StartQuillet";
const char* const startArguments = "~CVersion";

const char* const externalArgument = " -cp dorn.quillet.jar com/obel/dorntools/quillet/StartQuillet";
const unsigned long pauseBeforeExec = 300; // milliseconds

// "\bin\java.exe" on Windows, "/bin/java" on POSIX: the one file that is started, whatever
// else lies beside it (a java.com or java.bat would run first if the extension were left to
// a search).
IString javaExecutable() {
  char s[2] = {IEnvironment::directorySeparator(), '\0'};
  return IString(s) + "bin" + s + "java" + executableSuffix();
}

// Without a bridge whose virtual machine exists there is nothing to call: the start fails as a
// missing entry point would, instead of calling into a library that is not there.
void requireBridge(const LauncherState& state) {
  if (state.bridgeLibrary == nullptr || !state.bridgeReady) {
    IInvalidRequest exception(QuilletText::bridgeNotStarted, 0, IException::unrecoverable);
    exception.addLocation(IThrowLocation("appstart", "startInProcess(MainWindow&,LauncherState&)", __LINE__));
    throw exception;
  }
}

} // namespace

bool startInProcess(MainWindow& window, LauncherState& state) {
  // Without a bridge there is nobody to register with; the start below says why it fails.
  if (state.bridgeReady) {
    try {
      IWindow* target = &window;
      callEntryPoint<DymSetRTNPtrFunction>(*state.bridgeLibrary, setWindowEntry, target);
    } catch (IException& exception) {
      state.messageBox.setTitle(QuilletText::titleUnableToStart4);
      state.messageBox.show(exception);
    }
  }

  window.showBusy();

  bool started = false;
  try {
    requireBridge(state);
    callEntryPoint<DymCallJavaCodeMPFunction>(*state.bridgeLibrary, callMainEntry, startClass,
                                              startArguments);
    started = true;
    traceStep("main-returned");
  } catch (IException& exception) {
    state.messageBox.setTitle(QuilletText::titleUnableToStart3);
    state.messageBox.show(exception);
  }

  window.clearBusy();
  window.retire();
  window.setFocus();
  return started;
}

void startExternally(MainWindow& window, LauncherState& state) {
  // The last step that can be traced: the streams go next.
  traceStep("external-start");
  // The home itself becomes the executable's path.
  state.javaHome += javaExecutable();
  const char* arguments[] = {state.javaHome, externalArgument, nullptr};

  IProcess::detachStandardStreams();
  window.showBusy();
  IProcess::sleep(pauseBeforeExec);
  // Out of the way before java runs: on Windows quillet waits for it (its status becomes
  // quillet's), and its window must not stand there meanwhile.
  window.retire();
  IProcess::replaceWith(state.javaHome, arguments);

  // Only a failed start comes back here. Its streams are gone, so the status tells.
  IProcess::endNow(statusOf(ExitStatus::externalStartFailed));
}
