// IDynamicLinkLibrary on POSIX: the Windows search for a library and its dependencies, over dlopen,
// never in the current directory and never of a file that others may change.
#include "idynlib_platform.hpp"

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include "iexcept.hpp"
#include "ielffile_posix.hpp"
#include "ifiletrust_posix.hpp"
#include "isystem.hpp"

namespace {

// --- names and the search ----------------------------------------------------------------

// Completes a name as Windows adds ".dll": a last component without extension becomes
// "lib<name>.so"; a trailing '.' marks a name that has no extension and is taken without it.
std::string completeName(const std::string& name) {
  std::size_t slash = name.rfind('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string last = name.substr(start);
  if (last.empty())
    return name;
  if (last.back() == '.')
    return name.substr(0, name.size() - 1);
  if (last.find('.') != std::string::npos)
    return name;
  return name.substr(0, start) + "lib" + last + ".so";
}

bool isRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The file that path names, with Windows file-name semantics; empty when there is none.
std::string resolveFile(const std::string& path) {
  if (path.empty() || path[0] != '/')
    return std::string();
  const std::string found = ISystem::pathWithoutCase(path);
  return !found.empty() && isRegularFile(found) ? found : std::string();
}

std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/')
    return std::filesystem::path(path).lexically_normal().string();
  const std::string cwd = ISystem::currentDirectory();
  if (cwd.empty())
    return std::string();
  return std::filesystem::path(cwd + "/" + path).lexically_normal().string();
}

// Where a module named without a full path is looked for: the program's directory, then each
// entry of PATH as it is now, as Windows searches without its current directory. The current
// directory is never searched, neither itself nor through an empty or relative entry of PATH:
// whoever can put a file where the user happens to be would otherwise choose the code the
// process runs.
std::vector<std::string> searchDirectories() {
  std::vector<std::string> dirs;
  auto add = [&dirs](const std::string& dir) {
    if (dir.empty() || dir[0] != '/')
      return;
    std::string full = absolute(dir);
    if (isDirectory(full))
      dirs.push_back(full);
  };
  const std::string program = ISystem::programPath();
  const std::string::size_type slash = program.rfind('/');
  if (slash != std::string::npos)
    add(slash == 0 ? "/" : program.substr(0, slash));
  std::string path;
  ISystem::environmentValue("PATH", path);
  for (const std::string& entry : ISystem::splitPathList(path, ':'))
    add(entry);
  return dirs;
}

// --- loading ---------------------------------------------------------------------------------

// What one load holds: the library and the dependencies opened for it, released with it.
struct Load {
  void* handle;
  std::vector<void*> dependencies;
};

std::mutex& loadsLock() {
  static std::mutex* const lock = new std::mutex;
  return *lock;
}

std::vector<Load>& loads() {
  static std::vector<Load>* const all = new std::vector<Load>;
  return *all;
}

// Writes the loader's reason for a failure to the exception log, ahead of the exception's own
// record: the exception text itself stays the same on every platform.
void logReason(const std::string& reason) {
  if (IExceptionLogger* logger = IException::logger())
    logger->writeLine(reason.c_str());
}

class Loader {
public:
  // Loads name with everything it needs; null (with the error code set) on failure.
  void* load(const std::string& name) {
    std::vector<void*> dependencies;
    void* handle = loadNamed(name, dependencies, 0);
    if (!handle) {
      for (auto it = dependencies.rbegin(); it != dependencies.rend(); ++it)
        ::dlclose(*it);
      ISetLastErrorCode(error_);
      return nullptr;
    }
    std::lock_guard<std::mutex> guard(loadsLock());
    loads().push_back(Load{handle, std::move(dependencies)});
    ISetLastErrorCode(0);
    return handle;
  }

private:
  static const int maxDepth = 16;

  void fail(int error, const std::string& reason) {
    error_ = error;
    logReason(reason);
  }

  // dlopen with its reason logged on failure. dlopen leaves no error code: the caller names the
  // likely one (a name the system cannot find, or a file that does not load).
  void* open(const std::string& file, int mode, int error = ENOEXEC) {
    ::dlerror();
    void* handle = ::dlopen(file.c_str(), mode);
    if (!handle) {
      const char* reason = ::dlerror();
      fail(error, reason ? std::string(reason) : file + ": cannot be loaded");
    }
    return handle;
  }

  // Finds the file for a name as the search does; empty when there is none (or only files of
  // the other word size, which the search passes over as Windows does).
  std::string find(const std::string& name, bool* sawOtherWordSize, bool* notLibrary,
                   bool* sawUntrusted) {
    std::vector<std::string> candidates;
    if (name[0] == '/')
      candidates.push_back(absolute(name));
    else
      for (const std::string& dir : searchDirectories())
        candidates.push_back(absolute(dir + "/" + name));
    for (const std::string& candidate : candidates) {
      std::string file = resolveFile(candidate);
      if (file.empty())
        continue;
      // Code that others may change is theirs to choose: passed over, as a file of another
      // word size is, with the reason in the log.
      struct stat status;
      if (::stat(file.c_str(), &status) == 0) {
        const std::string unsafe = IFileTrust::whyOthersMayChange(file, status);
        if (!unsafe.empty()) {
          *sawUntrusted = true;
          fail(EACCES, file + ": not loaded: " + unsafe);
          continue;
        }
      }
      IElf::FileKind kind = IElf::File(file).kind();
      if (kind == IElf::FileKind::library)
        return file;
      if (kind == IElf::FileKind::otherWordSize) {
        *sawOtherWordSize = true;
        continue;
      }
      *notLibrary = true;
      fail(ENOEXEC, file + ": not a shared library");
      return std::string();
    }
    return std::string();
  }

  void* loadNamed(const std::string& rawName, std::vector<void*>& dependencies, int depth) {
    if (rawName.empty()) {
      fail(ENOENT, "empty library name");
      return nullptr;
    }
    std::string name = completeName(rawName);
    bool bare = name.find('/') == std::string::npos;
    // As on Windows, a module of that name that the process has loaded already is used.
    if (bare) {
      if (void* loaded = ::dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD))
        return loaded;
    }
    bool otherWordSize = false, notLibrary = false, untrusted = false;
    std::string file = find(name, &otherWordSize, &notLibrary, &untrusted);
    if (notLibrary)
      return nullptr;
    if (file.empty() && untrusted)
      return nullptr; // the reason is logged, and the error code set
    if (file.empty()) {
      if (!bare || otherWordSize) {
        fail(otherWordSize ? ENOEXEC : ENOENT,
             name + (otherWordSize ? ": only found for another word size or machine"
                                   : ": no such file"));
        return nullptr;
      }
      // Last, the system's library directories, as Windows looks into its system directory.
      return open(name, RTLD_NOW, ENOENT);
    }
    if (depth < maxDepth && !loadDependencies(file, dependencies, depth))
      return nullptr;
    return open(file, RTLD_NOW | RTLD_LOCAL);
  }

  // Opens, before the library itself, each library it needs that is not loaded yet and that
  // the search finds. The dynamic loader then takes them by their names instead of looking
  // along its own paths, which know nothing of PATH. What the search does not find is left to
  // the dynamic loader (the system's directories).
  bool loadDependencies(const std::string& file, std::vector<void*>& dependencies, int depth) {
    IElf::File elf(file);
    if (elf.kind() != IElf::FileKind::library)
      return true;
    for (const std::string& needed : elf.neededLibraries()) {
      if (needed.find('/') != std::string::npos || !visiting_.insert(needed).second)
        continue;
      if (void* loaded = ::dlopen(needed.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        ::dlclose(loaded); // only asked whether it is there
        continue;
      }
      bool otherWordSize = false, notLibrary = false, untrusted = false;
      std::string found = find(needed, &otherWordSize, &notLibrary, &untrusted);
      if (notLibrary || (found.empty() && untrusted))
        return false;
      if (found.empty())
        continue;
      if (!loadDependencies(found, dependencies, depth + 1))
        return false;
      void* handle = open(found, RTLD_NOW | RTLD_GLOBAL);
      if (!handle)
        return false;
      dependencies.push_back(handle);
    }
    return true;
  }

  int error_ = 0;
  std::set<std::string> visiting_;
};

struct link_map* linkMapOf(void* handle) {
  struct link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0)
    return nullptr;
  return map;
}

void* programHandle() {
  static void* const program = ::dlopen(nullptr, RTLD_NOW);
  return program;
}

} // namespace

namespace idynlib_platform {

IDLLModule::Handle load(const char* name) { return Loader().load(name ? name : ""); }

bool release(IDLLModule::Handle handle) {
  Load done{nullptr, {}};
  {
    std::lock_guard<std::mutex> guard(loadsLock());
    std::vector<Load>& all = loads();
    for (auto it = all.begin(); it != all.end(); ++it) {
      if (it->handle == handle) {
        done = std::move(*it);
        all.erase(it);
        break;
      }
    }
  }
  if (!done.handle) {
    ISetLastErrorCode(EINVAL); // not a handle that this library loaded
    return false;
  }
  bool released = ::dlclose(handle) == 0;
  if (!released) {
    const char* reason = ::dlerror();
    logReason(reason ? reason : "dlclose failed");
  }
  // The dependencies go after the library, the last-opened first, as Windows releases them.
  for (auto it = done.dependencies.rbegin(); it != done.dependencies.rend(); ++it)
    ::dlclose(*it);
  ISetLastErrorCode(0);
  return released;
}

bool reportsFailedRelease() { return true; }

IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle handle, const char* name) {
  void* module = handle ? handle : programHandle();
  struct link_map* own = module ? linkMapOf(module) : nullptr;
  if (!own)
    return nullptr;
  ::dlerror();
  void* address = ::dlsym(module, name);
  if (!address)
    return nullptr;
  // dlsym also searches the libraries the module depends on; GetProcAddress gives only the
  // module's own exports.
  Dl_info info;
  struct link_map* owner = nullptr;
  if (!::dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) ||
      owner != own)
    return nullptr;
  return reinterpret_cast<IDynamicLinkLibrary::ProcAddress>(address);
}

// ELF exports have names only: no ordinal names an entry point, so every lookup by ordinal
// fails (and the caller raises the "GetProcAddress #: " error), with no platform error code.
IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle, unsigned short) {
  ISetLastErrorCode(0);
  return nullptr;
}

bool fileName(IDLLModule::Handle handle, IString& path) {
  if (handle) {
    struct link_map* map = linkMapOf(handle);
    if (!map) {
      ISetLastErrorCode(EINVAL);
      return false;
    }
    if (map->l_name && *map->l_name) {
      path = map->l_name;
      return true;
    }
    // The program itself has an empty name in its link map.
  }
  const std::string program = ISystem::programPath();
  path = IString(program.c_str(), program.size());
  if (path.isEmpty()) {
    ISetLastErrorCode(ENOENT);
    return false;
  }
  return true;
}

bool fileNameOf(IDynamicLinkLibrary::ProcAddress address, IString& path) {
  Dl_info info;
  struct link_map* owner = nullptr;
  if (!::dladdr1(reinterpret_cast<void*>(address), &info, reinterpret_cast<void**>(&owner),
                 RTLD_DL_LINKMAP) ||
      owner == nullptr)
    return false;
  // The program has an empty name in its link map; a library the name it was loaded by,
  // which is a full path for every library this search loads.
  if (owner->l_name && *owner->l_name) {
    path = owner->l_name;
    return true;
  }
  return fileName(nullptr, path);
}

} // namespace idynlib_platform
