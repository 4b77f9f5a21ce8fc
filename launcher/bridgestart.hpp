// Binding the bridge library and its entry points, and the bridge start-up.
#ifndef BRIDGESTART_HPP
#define BRIDGESTART_HPP

#include "idynlib.hpp"
#include "lanyard.hpp"

struct LauncherState;

// Looks up entry point name right before its one call and calls it with args (its result is
// not used). The look-up holds a further reference on the library (a copy of the library
// object) for the call; no table of entry points is kept. A missing entry point throws the
// library's IException.
template <typename Entry, typename... Args>
void callEntryPoint(const IDynamicLinkLibrary& library, const char* name, Args... args) {
  IDynamicLinkLibrary binding(library);
  Entry entry = reinterpret_cast<Entry>(binding.procAddress(name));
  entry(args...);
}

// Loads the runtime library that state names, then "lanyard" from quillet's own folder into
// state.bridgeLibrary, and has the bridge create the Java virtual machine for the tool
// "QUILLET". On an IException the user is told that the bridge is unusable; the answer says
// whether it succeeded.
bool startBridge(LauncherState& state);

#endif
