// POSIX facts for quillet: the runtime library's name, file-name case and the environment's limit.
#include "quillet_md.hpp"

const char* runtimeLibraryFileName() { return "libjvm.so"; }

bool fileNamesIgnoreCase() { return false; }

// Linux refuses to exec a program whose environment holds one string longer than
// MAX_ARG_STRLEN (131,072 bytes with "PATH=" and the terminator): every program started
// afterwards, the external java among them, would fail with E2BIG.
unsigned long longestPathValue() { return 131072 - sizeof("PATH="); }
