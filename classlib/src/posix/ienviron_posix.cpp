// IEnvironment on POSIX: the system layer's environment, directory and program path, with the
// Windows answers.
#include "ienviron.hpp"

#include <cstring>
#include <string>

#include "isystem.hpp"

namespace {

// Copies text into buffer with the Windows answers: the length without the terminator when it
// fits, else the size needed with it.
unsigned long answer(const std::string& text, char* buffer, unsigned long bufferSize) {
  if (text.size() + 1 > bufferSize || !buffer)
    return static_cast<unsigned long>(text.size() + 1);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<unsigned long>(text.size());
}

} // namespace

unsigned long IEnvironment::variable(const char* name, char* buffer, unsigned long bufferSize) {
  std::string value;
  if (!ISystem::environmentValue(name, value) || value.empty())
    return 0;
  return answer(value, buffer, bufferSize);
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

unsigned long IEnvironment::programPath(char* buffer, unsigned long bufferSize) {
  const std::string path = ISystem::programPath();
  return path.empty() ? 0 : answer(path, buffer, bufferSize);
}

char IEnvironment::directorySeparator() { return '/'; }
char IEnvironment::pathSeparator() { return ':'; }
