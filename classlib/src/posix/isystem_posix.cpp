// The system layer on POSIX: getenv/setenv under one lock, /proc/self/exe, getcwd, and
// Windows's case-blind file names over a file system whose names keep their case.
#include "isystem.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// setenv may move the environment block while another thread reads it. (The JVM's own
// threads read the environment with getenv directly; they do so at VM creation, which the
// launcher runs on its one thread.)
std::mutex& environmentLock() {
  static std::mutex* const lock = new std::mutex; // never destroyed: used until the very end
  return *lock;
}

bool validName(const char* name) {
  // POSIX forbids '=' in a name; getenv would otherwise match the tail of another variable.
  return name != nullptr && *name != '\0' && std::strchr(name, '=') == nullptr;
}

bool exists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

// readlink and getcwd cut their answer silently or refuse a short buffer: ask again larger.
template <class Read> std::string growingRead(Read read) {
  std::string buffer(256, '\0');
  for (;;) {
    const long n = read(&buffer[0], buffer.size());
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size())
      return buffer.substr(0, static_cast<std::size_t>(n));
    if ((n < 0 && errno != ERANGE) || buffer.size() > (1u << 20))
      return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

} // namespace

namespace ISystem {

const char directorySeparator = '/';
const char pathSeparator = ':';

bool environmentValue(const char* name, std::string& value) {
  if (!validName(name))
    return false;
  try {
    std::lock_guard<std::mutex> guard(environmentLock());
    const char* text = std::getenv(name);
    if (text == nullptr)
      return false;
    value = text;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool setEnvironmentValue(const char* name, const char* value) {
  if (!validName(name))
    return false;
  std::lock_guard<std::mutex> guard(environmentLock());
  return value == nullptr ? ::unsetenv(name) == 0 : ::setenv(name, value, 1) == 0;
}

std::string programPath() {
  try {
    return growingRead([](char* buffer, std::size_t size) -> long {
      return static_cast<long>(::readlink("/proc/self/exe", buffer, size));
    });
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

std::string currentDirectory() {
  try {
    return growingRead([](char* buffer, std::size_t size) -> long {
      return ::getcwd(buffer, size) != nullptr ? static_cast<long>(std::strlen(buffer)) : -1;
    });
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

std::string entryWithoutCase(const std::string& directory, const std::string& name) {
  std::string found;
  if (name.empty())
    return found;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr)
    return found;
  try {
    while (const dirent* entry = ::readdir(dir)) {
      if (::strcasecmp(entry->d_name, name.c_str()) == 0 &&
          (found.empty() || std::strcmp(entry->d_name, found.c_str()) < 0))
        found = entry->d_name;
    }
  } catch (const std::bad_alloc&) {
    found.clear();
  }
  ::closedir(dir);
  return found;
}

std::string pathWithoutCase(const std::string& path) {
  try {
    if (path.empty() || exists(path))
      return path;
    // resolved: the text before the current name, with its trailing '/'.
    std::string resolved = path[0] == '/' ? "/" : "";
    std::string::size_type position = resolved.size();
    for (;;) {
      const std::string::size_type slash = path.find('/', position);
      const std::string name =
          path.substr(position, slash == std::string::npos ? slash : slash - position);
      std::string candidate = resolved + name;
      if (!name.empty() && name != "." && name != ".." && !exists(candidate)) {
        const std::string match = entryWithoutCase(resolved.empty() ? "." : resolved, name);
        if (match.empty())
          return std::string();
        candidate = resolved + match;
      }
      if (slash == std::string::npos)
        return candidate;
      resolved = candidate + '/';
      position = slash + 1;
    }
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

} // namespace ISystem
