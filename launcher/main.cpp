// quillet's entry point and its process-wide state, made before main runs.
#include "launcherstate.hpp"
#include "sequence.hpp"

namespace {
// Lives from before main to after it: destroyed by the runtime when main has returned.
LauncherState launcherState;
} // namespace

int main(int argc, char** argv) {
  runMainSequence(launcherState, argc, argv);
  // Every end of the launcher is an orderly one, failures included: they have been shown.
  return 0;
}
