// POSIX: Windows file-name lists translated to ':' lists whose names are found without case,
// and the libraries of the process put first in LD_LIBRARY_PATH.
#include "ipathlist.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "ienviron.hpp"
#include "isystem.hpp"

namespace {

// One entry of a Windows list: its names found as Windows would find them; an entry that names
// nothing stays as written (the runtime then finds nothing there, as on Windows).
std::string resolveEntry(const std::string& written) {
  std::string entry = written;
  std::replace(entry.begin(), entry.end(), '\\', '/');
  const std::string found = ISystem::pathWithoutCase(entry);
  return found.empty() ? entry : found;
}

// Adds the absolute entries of list that are not there yet, in their order.
void appendAbsoluteEntries(const std::string& list, std::vector<std::string>& entries) {
  for (const std::string& entry : ISystem::splitPathList(list, ':'))
    if (!entry.empty() && entry[0] == '/' &&
        std::find(entries.begin(), entries.end(), entry) == entries.end())
      entries.push_back(entry);
}

} // namespace

IString IPathList::fromWindows(const char* windowsList) {
  if (windowsList == nullptr)
    return IString();
  const std::vector<std::string> entries = ISystem::splitPathList(windowsList, ';');
  std::string result;
  for (std::size_t i = 0; i < entries.size(); ++i)
    result += (i == 0 ? "" : ":") + resolveEntry(entries[i]);
  return IString(result.c_str(), result.size());
}

void IPathList::mirrorLibrarySearch(const std::vector<IString>& directories) {
  std::vector<std::string> entries;
  appendAbsoluteEntries(IEnvironment::programDirectory().c_str(), entries);
  for (const IString& directory : directories)
    appendAbsoluteEntries(directory.c_str(), entries);
  bool isSet = false;
  const IString previous = IEnvironment::variable("LD_LIBRARY_PATH", &isSet);
  if (isSet)
    appendAbsoluteEntries(previous.c_str(), entries);
  std::string value;
  for (std::size_t i = 0; i < entries.size(); ++i)
    value += (i == 0 ? "" : ":") + entries[i];
  IEnvironment::setVariable("LD_LIBRARY_PATH", value.c_str());
  // The runtime reads the environment next and sets nothing in it: this was the last variable.
  ISystem::settleEnvironment();
}
