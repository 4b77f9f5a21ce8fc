// The backends' private system layer: the facts of the operating system that several modules
// need (the environment, the program's own path, the current directory, path lists, file names
// matched without case), each looked up in one place per platform so that no two modules can
// answer the same question differently. Plain strings; nothing here throws.
#ifndef ISYSTEM_HPP
#define ISYSTEM_HPP

#include <string>
#include <vector>

namespace ISystem {

// The platform's separators: '\\' and ';' on Windows, '/' and ':' on POSIX.
extern const char directorySeparator;
extern const char pathSeparator;

// The value of the environment variable name: false when it is not set (or name is not a
// valid name). Readers and writers of the environment all go through these two, under one
// lock: setting a variable may move the block another thread reads.
bool environmentValue(const char* name, std::string& value);
// Sets name to value; a null value removes the variable. False when the platform refuses;
// removing a variable that is not set succeeds.
bool setEnvironmentValue(const char* name, const char* value);

// The running program's file as a full path; empty when the platform cannot tell.
std::string programPath();
// The current directory as a full path; empty when it cannot be read (it was removed, say).
std::string currentDirectory();

// The environment is settled once the process sets no more variables for others to read.
// Libraries that read theirs with plain getenv, outside the lock above (fontconfig and Xft on
// the preparation thread), read only once it is: a setenv may move the environment from under
// a concurrent getenv. It is said once, by whoever sets the last variable (the runtime's
// library path, IPathList::mirrorLibrarySearch) or by a thread that now waits for those
// libraries' work; saying it again does nothing.
void settleEnvironment();
// Returns once the environment is settled.
void awaitSettledEnvironment();

// The entries of a path list separated by separator, in order; an empty entry stays empty,
// and an empty list is one empty entry.
std::vector<std::string> splitPathList(const std::string& list, char separator);

// Windows file-name semantics where the file system has none: path as written when it exists;
// else each name along it that does not exist as written replaced by the entry of its
// directory that equals it without regard to ASCII case (the first in byte order when several
// do, whatever order the directory lists them in). Empty when a name matches nothing. A
// relative path is taken from the current directory and stays relative.
std::string pathWithoutCase(const std::string& path);
// The entry of directory that equals name without regard to ASCII case, by the rule above;
// empty when none does or the directory cannot be read.
std::string entryWithoutCase(const std::string& directory, const std::string& name);

} // namespace ISystem

#endif
