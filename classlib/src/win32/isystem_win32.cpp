// The system layer on Windows: the process's environment block (in UTF-16, see iwin32text),
// the module file name, the current directory, and file names, which Windows matches without
// case by itself.
#include "isystem.hpp"

#include <new>
#include <vector>

#include <windows.h>

#include "win32/iwin32text.hpp"

namespace {

// Calls that truncate (GetModuleFileNameA) or answer the size they need (GetCurrentDirectoryA):
// read into a buffer that grows until the text fits.
template <class Read> std::string growingRead(Read read) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return std::string();
    if (n < buffer.size())
      return std::string(buffer.data(), n);
    if (buffer.size() >= 32768)
      return std::string();
    buffer.resize(n > buffer.size() ? n : buffer.size() * 2);
  }
}

} // namespace

namespace ISystem {

const char directorySeparator = '\\';
const char pathSeparator = ';';

bool environmentValue(const char* name, std::string& value) {
  if (name == nullptr || *name == '\0')
    return false;
  // Read while an exception is being made, too: the error it reports must survive the read.
  const DWORD error = ::GetLastError();
  bool set = false;
  try {
    set = IWin32Text::environmentVariable(name, value);
  } catch (const std::bad_alloc&) {
  }
  ::SetLastError(error);
  return set;
}

bool setEnvironmentValue(const char* name, const char* value) {
  if (name == nullptr || *name == '\0')
    return false;
  if (::SetEnvironmentVariableA(name, value))
    return true;
  // Removing a variable that is not there leaves the environment as asked.
  return value == nullptr && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

std::string programPath() {
  try {
    return growingRead([](char* buffer, DWORD size) {
      return ::GetModuleFileNameA(nullptr, buffer, size);
    });
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

std::string currentDirectory() {
  try {
    return growingRead([](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); });
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

std::string entryWithoutCase(const std::string& directory, const std::string& name) {
  if (name.empty() || name.find_first_of("*?") != std::string::npos)
    return std::string();
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((directory + "\\" + name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return std::string();
  ::FindClose(search);
  return found.cFileName;
}

std::string pathWithoutCase(const std::string& path) {
  return !path.empty() && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES
             ? path
             : std::string();
}

} // namespace ISystem
