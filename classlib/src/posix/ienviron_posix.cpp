// IEnvironment on POSIX: getenv/setenv, getcwd and /proc/self/exe with the Windows answers.
#include "ienviron.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace {

// setenv may move the environment block while another thread reads it; every reader and
// writer of this facility goes through this lock. (The JVM's own threads read the environment
// with getenv directly; they only do so at VM creation, which the launcher runs on its one
// thread.)
std::mutex& environmentLock() {
  static std::mutex lock;
  return lock;
}

bool validName(const char* name) {
  // POSIX forbids '=' in a name; getenv would otherwise match the tail of another variable.
  return name && *name && !std::strchr(name, '=');
}

// Copies text of length into buffer with the Windows answers.
unsigned long answer(const char* text, std::size_t length, char* buffer,
                     unsigned long bufferSize) {
  if (length + 1 > bufferSize || !buffer)
    return static_cast<unsigned long>(length + 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<unsigned long>(length);
}

} // namespace

unsigned long IEnvironment::variable(const char* name, char* buffer, unsigned long bufferSize) {
  if (!validName(name))
    return 0;
  std::lock_guard<std::mutex> guard(environmentLock());
  const char* value = std::getenv(name);
  if (!value || !*value)
    return 0;
  return answer(value, std::strlen(value), buffer, bufferSize);
}

bool IEnvironment::isSet(const char* name) {
  if (!validName(name))
    return false;
  std::lock_guard<std::mutex> guard(environmentLock());
  return std::getenv(name) != nullptr;
}

bool IEnvironment::setVariable(const char* name, const char* value) {
  if (!validName(name))
    return false;
  std::lock_guard<std::mutex> guard(environmentLock());
  if (!value)
    return ::unsetenv(name) == 0;
  return ::setenv(name, value, 1) == 0;
}

unsigned long IEnvironment::currentDirectory(char* buffer, unsigned long bufferSize) {
  std::vector<char> path(256);
  while (!::getcwd(path.data(), path.size())) {
    if (errno != ERANGE || path.size() > (1u << 20))
      return 0;
    path.resize(path.size() * 2);
  }
  return answer(path.data(), std::strlen(path.data()), buffer, bufferSize);
}

unsigned long IEnvironment::programPath(char* buffer, unsigned long bufferSize) {
  std::vector<char> path(256);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0)
      return 0;
    if (static_cast<std::size_t>(n) < path.size())
      return answer(path.data(), static_cast<std::size_t>(n), buffer, bufferSize);
    if (path.size() > (1u << 20))
      return 0;
    path.resize(path.size() * 2); // readlink truncates silently: try again larger
  }
}

char IEnvironment::directorySeparator() { return '/'; }
char IEnvironment::pathSeparator() { return ':'; }
