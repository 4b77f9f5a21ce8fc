// Lists of file names written for Windows, and the library path a runtime takes from the
// environment: both in this platform's form.
#ifndef IPATHLIST_HPP
#define IPATHLIST_HPP

#include <vector>

#include "istring.hpp"

class IPathList {
public:
  // A list of file names as product files write it for Windows (';' between entries, '\'
  // between names) in this platform's form. On POSIX ';' becomes ':' and '\' becomes '/', and
  // an entry that does not exist as written is matched name by name without case, as Windows
  // would find it; what matches nothing stays as written, empty entries included. A null list
  // gives the empty one. Unchanged on Windows.
  static IString fromWindows(const char* windowsList);

  // Prepares the environment so that a runtime created later in this process, which reads its
  // native-library path from the environment once, finds the libraries this process has
  // loaded: the program's directory first, then directories in their order (those of the
  // libraries the runtime is to find, and the runtime library's own), as the runtime searches
  // on Windows where they lead PATH. On POSIX this is LD_LIBRARY_PATH; the absolute entries it
  // held before follow, so that the user's own libraries are still found by the runtime and by
  // the programs the process starts, but cannot stand in for the process's own. An empty or
  // relative entry is dropped: the dynamic loader reads it as the current directory. Nothing
  // to do on Windows, where the runtime searches that way itself.
  static void mirrorLibrarySearch(const std::vector<IString>& directories);
};

#endif
