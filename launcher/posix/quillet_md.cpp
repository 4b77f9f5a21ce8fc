// POSIX facts for quillet: the runtime's file names, paths, file-name case and the environment's limit.
#include "quillet_md.hpp"

const char* runtimeLibraryFileName() { return "libjvm.so"; }

const char* executableSuffix() { return ""; }

bool isAbsolutePath(const char* path) { return path != nullptr && path[0] == '/'; }

bool fileNamesIgnoreCase() { return false; }

bool pathKeepsCurrentFolder() { return false; }

// Linux refuses to exec a program whose environment holds one string longer than
// MAX_ARG_STRLEN (131,072 bytes with "PATH=" and the terminator): every program started
// afterwards, the external java among them, would fail with E2BIG.
unsigned long longestPathValue() { return 131072 - sizeof("PATH="); }
