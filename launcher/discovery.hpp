// Java runtime discovery: the registry values of the runtime, PATH, and the not-installed message.
#ifndef DISCOVERY_HPP
#define DISCOVERY_HPP

#include "istring.hpp"

struct LauncherState;

// Registry keys under HKEY_LOCAL_MACHINE.
extern const char* const runtimeKey16;   // the runtime the launcher uses
extern const char* const runtimeKey150;  // the older runtime, looked for by the probe only

struct RegistryText {
  bool keyOpened = false;  // the key could be opened
  bool found = false;      // ...and the value exists in it
  bool refused = false;    // the registry refused to be read (see IRegistry::refusal)
  IString text;            // the value's text, bounded by its size
};

// Reads a value as text: the registry's two-call protocol, the value's type not checked.
RegistryText readRegistryValue(const char* key, const char* valueName);

struct PathEntries {
  bool found = false;
  bool refused = false;    // the registry refused to be read: nothing may be taken from it
  IString text;            // runtime directory, separator, home directory (maybe empty)
};

// "RuntimeLib" with the library's file name cut off, and the Java home behind it; the value
// itself is kept in state.runtimeLibraryPath, as the file to load. A value that is not an
// absolute path names no runtime: it would be looked for from the current directory.
PathEntries lookUpRuntimeLibrary(LauncherState& state);
// "JavaHome" of the runtime; stored in state.javaHome when found, else empty.
IString lookUpJavaHome(LauncherState& state);

// "1.5.0" or "1.6.0" for the runtime found installed, or empty.
IString probeInstalledVersion();

enum class EnvironmentOutcome { ready, notReady, ended };

// The new PATH: front (the runtime's entries; empty when there are none), the current
// directory, then back (the old entries). Joined as they are where the platform keeps the
// current folder on PATH. Elsewhere no entry may lead to the current folder: the current
// directory is left out, and so is every empty or relative entry, which a shell and execvp
// would look up from wherever the application happens to be.
IString composePath(const IString& front, const IString& currentDirectory, const IString& back,
                    bool keepsCurrentFolder);

// The set-up's work without its messages: what happened, and which message that calls for.
struct EnvironmentResult {
  enum Failure { none, pathUnreadable, exception, registryRefused };
  EnvironmentOutcome outcome = EnvironmentOutcome::notReady;
  Failure failure = none;
};
EnvironmentResult prepareEnvironment(LauncherState& state);

// Puts the runtime's directories and the current directory in front of PATH; shows the
// message of an *ended* outcome through the shared message box.
EnvironmentResult setUpEnvironment(LauncherState& state);

// The not-installed text for the version that the probe found (empty: none).
IString notInstalledText(const IString& installedVersion);
// Composes and shows the not-installed message in a message box of its own.
void showNotInstalledMessage();

#endif
