// Windows facts for quillet: the runtime's file names, paths, file-name case and the environment's limit.
#include "quillet_md.hpp"

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
} // namespace

const char* runtimeLibraryFileName() { return "jvm.dll"; }

const char* executableSuffix() { return ".exe"; }

bool isAbsolutePath(const char* path) {
  if (path == nullptr)
    return false;
  if (isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2]))
    return true;
  return isSeparator(path[0]) && isSeparator(path[1]) && path[2] != '\0';
}

bool fileNamesIgnoreCase() { return true; }

bool pathKeepsCurrentFolder() { return true; }

// Windows documents 32,767 characters as the largest environment variable, terminator
// included; a longer value is not read back whole (Wine returns a wrong length for it).
unsigned long longestPathValue() { return 32766; }
