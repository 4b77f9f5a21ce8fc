// Windows facts for quillet: the runtime library's name and the environment's limit.
#include "quillet_md.hpp"

const char* runtimeLibraryFileName() { return "jvm.dll"; }

// The largest environment variable Windows documents: 32,767 characters.
unsigned long longestPathValue() { return 32767; }
