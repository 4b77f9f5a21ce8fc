// quillet's entry point and its process-wide state, made before main runs.
#include "iprocess.hpp"
#include "launcherstate.hpp"
#include "sequence.hpp"

namespace {
// First of all, before the state below opens the display: a standard stream that whoever
// started quillet left closed would otherwise be taken by the display's connection, and a trace
// line or the application's output would go into it.
const bool standardStreamsOpen = (IProcess::openMissingStandardStreams(), true);

// Lives from before main to after it: destroyed by the runtime when main has returned.
LauncherState launcherState;
} // namespace

int main(int argc, char** argv) {
  // Every end that reaches here did not run the application: its status says why.
  return runMainSequence(launcherState, argc, argv);
}
