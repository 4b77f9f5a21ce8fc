// What each platform's build of quillet must provide: facts of the platform, no calls.
#ifndef QUILLET_MD_HPP
#define QUILLET_MD_HPP

// File name of the Java runtime library that the "RuntimeLib" registry value names.
const char* runtimeLibraryFileName();

// What the runtime's executable file name ends with: ".exe" on Windows, nothing on POSIX.
const char* executableSuffix();

// Whether path names one place whatever the current directory is: on POSIX it begins at the
// root; on Windows it has a drive and the root behind it ("C:\"), or is a UNC name
// ("\\server\share"). "\bin" (the current drive's root) and "C:bin" are relative.
bool isAbsolutePath(const char* path);

// Whether the platform's file names ignore case. Where they do, PATH entries may be written in
// capitals without changing what they name; where they do not, capitals would name other
// directories.
bool fileNamesIgnoreCase();

// Whether the current directory belongs on the PATH that the launcher composes. On Windows it
// does, as the product has always put it there, and CreateProcess and the command interpreter
// search it first for programs anyway. On POSIX nothing searches it unless PATH says so, and a
// PATH that does lets whoever can put a program where the user happens to be run it under a
// common name.
bool pathKeepsCurrentFolder();

// Longest value that PATH may be given. A longer one would not reach (or would break) what the
// launcher loads and starts, so the environment set-up refuses to set it.
unsigned long longestPathValue();

#endif
