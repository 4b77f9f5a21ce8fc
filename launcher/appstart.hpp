// Starting the Java application from the main window: in this process through the bridge, or
// by replacing the process with the runtime's java.
#ifndef APPSTART_HPP
#define APPSTART_HPP

class MainWindow;
struct LauncherState;

// Registers the window with the bridge, runs the start class's main (which returns once the
// application has started) and puts the window out of the way. Each failure is shown; the
// answer says whether the application was started, so that the process stays alive for it.
bool startInProcess(MainWindow& window, LauncherState& state);

// Replaces the process with the runtime's java running the start class. Does not return: when
// the runtime cannot be started the process ends at once with status 0.
[[noreturn]] void startExternally(MainWindow& window, LauncherState& state);

#endif
