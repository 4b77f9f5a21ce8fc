// The bridge start-up: load the runtime and "lanyard" for the life of the process, each by its
// full path, and create the VM through the bridge.
#include "bridgestart.hpp"

#include "ienviron.hpp"
#include "iexcept.hpp"
#include "launcherstate.hpp"
#include "messages.hpp"
#include "quillet_md.hpp"
#include "trace.hpp"

namespace {
const char* const bridgeName = "lanyard";
const char* const initializeEntry = "DymInitializeJVM";
const char* const toolName = "QUILLET";

// The bridge beside quillet's own program file, never one found by a search.
IString bridgePath() {
  const IString directory = IEnvironment::programDirectory();
  if (directory.isEmpty())
    throw IException("GetModuleFileName: quillet's own folder cannot be told");
  char s[2] = {IEnvironment::directorySeparator(), '\0'};
  return directory + s + bridgeName;
}

// The runtime that the registry names, by its full path; through the marker on PATH, the
// first runtime library along the program's folder and PATH's absolute entries. Loaded before
// the bridge, whose own import of the runtime then binds to this one instead of searching:
// a runtime library in the current folder or further along PATH is never loaded. A runtime
// that cannot be loaded leaves the bridge unloaded.
void loadRuntime(LauncherState& state) {
  const IString file = state.runtimeLibraryPath.isEmpty() ? IString(runtimeLibraryFileName())
                                                          : state.runtimeLibraryPath;
  state.runtimeLibrary = new IDynamicLinkLibrary(file);
}
} // namespace

bool startBridge(LauncherState& state) {
  try {
    loadRuntime(state);
    traceStep("runtime-loaded");
    state.bridgeLibrary = new IDynamicLinkLibrary(bridgePath());
    traceStep("bridge-loaded");
    // The bridge creates the VM on this thread; its own failures there end the process.
    callEntryPoint<DymInitializeJVMFunction>(*state.bridgeLibrary, initializeEntry, toolName);
    state.bridgeReady = true;
    traceStep("vm-created");
    return true;
  } catch (IException&) {
    state.messageBox.setTitle(QuilletText::titleTessaran);
    state.messageBox.show(QuilletText::bridgeUnusable, failureStyle);
    return false;
  }
}
