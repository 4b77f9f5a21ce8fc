// Windows: file-name lists are already in the platform's form, and the library search needs
// no mirror.
#include "ipathlist.hpp"

IString IPathList::fromWindows(const char* windowsList) {
  return IString(windowsList);
}

void IPathList::mirrorLibrarySearch(const std::vector<IString>&) {}
