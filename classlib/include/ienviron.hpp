// The process environment: variables, the current directory and the program's own location.
#ifndef IENVIRON_HPP
#define IENVIRON_HPP

#include "istring.hpp"

class IEnvironment {
public:
  // Reads variable name into buffer (bufferSize bytes, terminator included), as
  // GetEnvironmentVariableA answers: the length copied when it fits; the size needed
  // (terminator included) when it does not; 0 when the variable is not set.
  static unsigned long variable(const char* name, char* buffer, unsigned long bufferSize);
  // The variable's value; isSet tells an unset variable from an empty one.
  static IString variable(const char* name, bool* isSet = nullptr);
  // Sets (or, with a null value, removes) a variable for this process and all it loads or
  // starts; false when the platform refuses (the value is then unchanged).
  static bool setVariable(const char* name, const char* value);

  // Reads the current directory into buffer, as GetCurrentDirectoryA answers: the length copied
  // when it fits; the size needed (terminator included) when it does not; 0 on failure.
  static unsigned long currentDirectory(char* buffer, unsigned long bufferSize);
  static IString currentDirectory();

  // The full path of the running program, and its directory (without trailing separator).
  static IString programPath();
  static IString programDirectory();

  // The platform's separators: '\\' and ';' on Windows, '/' and ':' on POSIX.
  static char directorySeparator();
  static char pathSeparator();
};

#endif
