// The bridge start-up: load "lanyard" for the life of the process and create the VM through it.
#include "bridgestart.hpp"

#include "iexcept.hpp"
#include "launcherstate.hpp"
#include "messages.hpp"
#include "trace.hpp"

namespace {
const char* const bridgeName = "lanyard";
const char* const initializeEntry = "DymInitializeJVM";
const char* const toolName = "QUILLET";
} // namespace

bool startBridge(LauncherState& state) {
  try {
    state.bridgeLibrary = new IDynamicLinkLibrary(bridgeName);
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
