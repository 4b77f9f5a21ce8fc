// The launcher's main sequence: the switch, the environment, the bridge, the display check, the
// main window, the application start and the event loop.
#ifndef SEQUENCE_HPP
#define SEQUENCE_HPP

struct LauncherState;

// Whether the first argument is the external-start switch "/ajs" (exactly; the program's own
// name stands in for a missing first argument and never matches).
bool isExternalStartSwitch(int argc, const char* const* argv);

// Runs the main sequence to its end. Every message it has to give is shown on the way; the
// answer is the status to end with (ExitStatus) when it ends without the application. While
// the application runs in this process, or in its place, the process ends with it instead.
int runMainSequence(LauncherState& state, int argc, const char* const* argv);

#endif
