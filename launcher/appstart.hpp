// Starting the Java application from the shown main window: in this process through the bridge,
// or by replacing the process with the runtime's java.
#ifndef APPSTART_HPP
#define APPSTART_HPP

class MainWindow;
struct LauncherState;

// Registers the window with the bridge, runs the start class's main (which returns once the
// application has started) and puts the window out of the way. Each failure is shown; the
// answer says whether the application was started, so that the process stays alive for it.
bool startInProcess(MainWindow& window, LauncherState& state);

// Has the runtime's java run the start class in the process's place (on Windows the process
// waits for it and ends with its status). Does not return: when java cannot be started the
// process ends at once, with the external start's failure status.
[[noreturn]] void startExternally(MainWindow& window, LauncherState& state);

#endif
