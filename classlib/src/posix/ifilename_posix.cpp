// POSIX backend: Windows file-name semantics on a file system whose names match with case.
#include "ifilename.hpp"

#include <dirent.h>
#include <strings.h>

namespace IFileName {

std::string entryWithoutCase(const std::string& directory, const std::string& name) {
  std::string found;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr)
    return found;
  while (const dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0 && (found.empty() || entry->d_name < found))
      found = entry->d_name;
  }
  ::closedir(dir);
  return found;
}

} // namespace IFileName
