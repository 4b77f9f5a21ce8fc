// POSIX: Windows file-name lists translated to ':' lists whose names are found without case,
// and the Windows library search mirrored into LD_LIBRARY_PATH.
#include "ipathlist.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ienviron.hpp"
#include "ifilename.hpp"

namespace {

bool exists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

// One entry, name by name: each name that does not exist as written is replaced by the one
// that matches it without case. When a name matches nothing the entry stays as written.
std::string resolveEntry(const std::string& written) {
  std::string entry = written;
  std::replace(entry.begin(), entry.end(), '\\', '/');
  if (entry.empty() || exists(entry))
    return entry;
  std::string resolved; // the text before the current name, with its trailing '/'
  std::string::size_type position = 0;
  while (true) {
    const std::string::size_type slash = entry.find('/', position);
    const std::string name = entry.substr(position, slash == std::string::npos
                                                         ? std::string::npos
                                                         : slash - position);
    std::string candidate = resolved + name;
    if (!name.empty() && name != "." && name != ".." && !exists(candidate)) {
      const std::string match =
          IFileName::entryWithoutCase(resolved.empty() ? "." : resolved, name);
      if (match.empty())
        return entry;
      candidate = resolved + match;
    }
    if (slash == std::string::npos)
      return candidate;
    resolved = candidate + '/';
    position = slash + 1;
  }
}

void appendEntries(const std::string& list, std::vector<std::string>& entries) {
  std::string::size_type position = 0;
  while (true) {
    const std::string::size_type colon = list.find(':', position);
    const std::string entry = list.substr(position, colon == std::string::npos
                                                         ? std::string::npos
                                                         : colon - position);
    if (std::find(entries.begin(), entries.end(), entry) == entries.end())
      entries.push_back(entry);
    if (colon == std::string::npos)
      return;
    position = colon + 1;
  }
}

} // namespace

IString IPathList::fromWindows(const char* windowsList) {
  if (windowsList == nullptr)
    return IString();
  const std::string list(windowsList);
  std::string result;
  std::string::size_type position = 0;
  while (true) {
    const std::string::size_type semicolon = list.find(';', position);
    result += resolveEntry(list.substr(position, semicolon == std::string::npos
                                                     ? std::string::npos
                                                     : semicolon - position));
    if (semicolon == std::string::npos)
      break;
    result += ':';
    position = semicolon + 1;
  }
  return IString(result.c_str(), result.size());
}

void IPathList::mirrorLibrarySearch() {
  std::vector<std::string> entries;
  entries.push_back(IEnvironment::programDirectory().c_str());
  bool isSet = false;
  const IString path = IEnvironment::variable("PATH", &isSet);
  if (isSet && !path.isEmpty())
    appendEntries(path.c_str(), entries);
  const IString previous = IEnvironment::variable("LD_LIBRARY_PATH", &isSet);
  if (isSet && !previous.isEmpty())
    appendEntries(previous.c_str(), entries);
  std::string value;
  for (std::size_t i = 0; i < entries.size(); ++i)
    value += (i == 0 ? "" : ":") + entries[i];
  IEnvironment::setVariable("LD_LIBRARY_PATH", value.c_str());
}
