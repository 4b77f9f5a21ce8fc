// The process environment: variables, the current directory and the program's own location.
#ifndef IENVIRON_HPP
#define IENVIRON_HPP

#include "istring.hpp"

// Every buffer-filling operation here answers as the Windows calls do, so that callers written
// for GetEnvironmentVariableA and GetCurrentDirectoryA work unchanged on every platform:
//   - the number of characters copied (terminator not counted) when the text fits;
//   - the size needed (terminator counted) when it does not (the buffer is then not to be read);
//   - 0 when there is nothing to report (no such variable, or the platform call failed).
// A null buffer is allowed with bufferSize 0, to ask for the size.
class IEnvironment {
public:
  // Reads variable name into buffer. An empty variable also answers 0 (as on Windows): use
  // isSet() or the IString form to tell it from an unset one. A null or empty name, or one
  // containing '=' (on POSIX), is never set.
  static unsigned long variable(const char* name, char* buffer, unsigned long bufferSize);
  // The variable's value; isSet (when given) tells an unset variable from an empty one.
  static IString variable(const char* name, bool* isSet = nullptr);
  // Whether the variable exists, even with an empty value.
  static bool isSet(const char* name);
  // Sets (or, with a null value, removes) a variable for this process and all it loads or
  // starts; false when the platform refuses (the value is then unchanged). Removing a variable
  // that is not set succeeds.
  static bool setVariable(const char* name, const char* value);

  // Reads the current directory into buffer.
  static unsigned long currentDirectory(char* buffer, unsigned long bufferSize);
  // The current directory; empty when the platform cannot tell it (removed directory).
  static IString currentDirectory();

  // Reads the running program's full path into buffer (the executable, also when called from a
  // shared library).
  static unsigned long programPath(char* buffer, unsigned long bufferSize);
  // The full path of the running program, and its directory (without trailing separator, except
  // for a root directory); empty when the platform cannot tell it.
  static IString programPath();
  static IString programDirectory();

  // The platform's separators: '\\' and ';' on Windows, '/' and ':' on POSIX.
  static char directorySeparator();
  static char pathSeparator();
};

#endif
