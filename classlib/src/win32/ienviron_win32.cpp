// IEnvironment on Windows: the environment block, current directory and program file name.
#include "ienviron.hpp"

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "win32/iwin32text.hpp"

unsigned long IEnvironment::variable(const char* name, char* buffer, unsigned long bufferSize) {
  std::string value;
  if (!name || !*name || !IWin32Text::environmentVariable(name, value))
    return 0;
  // As GetEnvironmentVariableA answers, in bytes: the buffer is left alone when the value does
  // not fit.
  if (!buffer || value.size() >= bufferSize)
    return static_cast<unsigned long>(value.size() + 1);
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<unsigned long>(value.size());
}

bool IEnvironment::isSet(const char* name) {
  std::string value;
  return name && *name && IWin32Text::environmentVariable(name, value);
}

bool IEnvironment::setVariable(const char* name, const char* value) {
  if (!name || !*name)
    return false;
  if (::SetEnvironmentVariableA(name, value))
    return true;
  // Removing a variable that is not there leaves the environment as asked.
  return !value && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

unsigned long IEnvironment::currentDirectory(char* buffer, unsigned long bufferSize) {
  return ::GetCurrentDirectoryA(bufferSize ? bufferSize : 0, bufferSize ? buffer : nullptr);
}

unsigned long IEnvironment::programPath(char* buffer, unsigned long bufferSize) {
  // GetModuleFileNameA truncates without telling the size it needs: read into a buffer of our
  // own that grows until the name fits, then answer as the other calls do.
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0)
      return 0;
    if (n < path.size()) {
      if (n + 1 > bufferSize || !buffer)
        return n + 1;
      std::memcpy(buffer, path.data(), n + 1);
      return n;
    }
    if (path.size() >= 32768)
      return 0;
    path.resize(path.size() * 2);
  }
}

char IEnvironment::directorySeparator() { return '\\'; }
char IEnvironment::pathSeparator() { return ';'; }
