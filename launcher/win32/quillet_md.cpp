// Windows facts for quillet: the runtime library's name, file-name case and the environment's limit.
#include "quillet_md.hpp"

const char* runtimeLibraryFileName() { return "jvm.dll"; }

bool fileNamesIgnoreCase() { return true; }

// Windows documents 32,767 characters as the largest environment variable, terminator
// included; a longer value is not read back whole (Wine returns a wrong length for it).
unsigned long longestPathValue() { return 32766; }
