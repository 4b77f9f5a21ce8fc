// IEnvironment on Windows: the environment block, current directory and program file name.
#include "ienviron.hpp"

#include <cstring>
#include <vector>

#include <windows.h>

unsigned long IEnvironment::variable(const char* name, char* buffer, unsigned long bufferSize) {
  if (!name || !*name)
    return 0;
  // Windows leaves the buffer alone when the value does not fit; a null buffer is allowed
  // with size 0.
  return ::GetEnvironmentVariableA(name, bufferSize ? buffer : nullptr,
                                   bufferSize ? bufferSize : 0);
}

bool IEnvironment::isSet(const char* name) {
  if (!name || !*name)
    return false;
  char probe[1];
  ::SetLastError(ERROR_SUCCESS);
  DWORD n = ::GetEnvironmentVariableA(name, probe, 1);
  // 0 with no error: the variable exists and is empty.
  return n != 0 || ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
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
