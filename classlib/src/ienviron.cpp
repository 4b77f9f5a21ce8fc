// IEnvironment over the system layer: the environment, the current directory and the program's
// own location, with the answers of the Windows calls.
#include "ienviron.hpp"

#include <cstring>
#include <string>
#include <vector>

#include "isystem.hpp"

namespace {

// Copies text into buffer with the Windows answers: the length without the terminator when it
// fits, else the size needed with it (the buffer is then left alone).
unsigned long answer(const std::string& text, char* buffer, unsigned long bufferSize) {
  if (text.size() + 1 > bufferSize || !buffer)
    return static_cast<unsigned long>(text.size() + 1);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<unsigned long>(text.size());
}

IString toIString(const std::string& text) { return IString(text.data(), text.size()); }

} // namespace

unsigned long IEnvironment::variable(const char* name, char* buffer, unsigned long bufferSize) {
  std::string value;
  if (!ISystem::environmentValue(name, value) || value.empty())
    return 0;
  return answer(value, buffer, bufferSize);
}

IString IEnvironment::variable(const char* name, bool* isSetOut) {
  std::string value;
  const bool set = ISystem::environmentValue(name, value);
  if (isSetOut)
    *isSetOut = set;
  return toIString(value);
}

bool IEnvironment::isSet(const char* name) {
  std::string value;
  return ISystem::environmentValue(name, value);
}

bool IEnvironment::setVariable(const char* name, const char* value) {
  return ISystem::setEnvironmentValue(name, value);
}

unsigned long IEnvironment::currentDirectory(char* buffer, unsigned long bufferSize) {
  const std::string path = ISystem::currentDirectory();
  return path.empty() ? 0 : answer(path, buffer, bufferSize);
}

IString IEnvironment::currentDirectory() { return toIString(ISystem::currentDirectory()); }

unsigned long IEnvironment::programPath(char* buffer, unsigned long bufferSize) {
  const std::string path = ISystem::programPath();
  return path.empty() ? 0 : answer(path, buffer, bufferSize);
}

IString IEnvironment::programPath() { return toIString(ISystem::programPath()); }

char IEnvironment::directorySeparator() { return ISystem::directorySeparator; }
char IEnvironment::pathSeparator() { return ISystem::pathSeparator; }

IString IEnvironment::programDirectory() {
  IString path = programPath();
  const char* text = path;
  const char* last = nullptr;
  for (const char* p = text; *p; ++p) {
    // Windows accepts both separators in a module path.
    if (*p == directorySeparator() || *p == '/')
      last = p;
  }
  if (!last)
    return IString();
  unsigned long keep = static_cast<unsigned long>(last - text);
  // A root directory keeps its separator ("/", "C:\"): without it the text names no directory.
  if (keep == 0 || (keep == 2 && text[1] == ':'))
    ++keep;
  return IString(text, keep);
}
