// What each platform's build of quillet must provide: facts of the platform, no calls.
#ifndef QUILLET_MD_HPP
#define QUILLET_MD_HPP

// File name of the Java runtime library that the "RuntimeLib" registry value names.
const char* runtimeLibraryFileName();

// Whether the platform's file names ignore case. Where they do, PATH entries may be written in
// capitals without changing what they name; where they do not, capitals would name other
// directories.
bool fileNamesIgnoreCase();

// Longest value that PATH may be given. A longer one would not reach (or would break) what the
// launcher loads and starts, so the environment set-up refuses to set it.
unsigned long longestPathValue();

#endif
