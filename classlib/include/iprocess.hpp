// IProcess: the running process's standard streams, pauses, replacement and end.
#ifndef IPROCESS_HPP
#define IPROCESS_HPP

#include <string>
#include <vector>

class IProcess {
public:
  // Opens the null device on each standard stream that is closed, so that the next thing the
  // process opens cannot take a standard stream's place: output meant for the stream would go
  // into it (an X connection, say). Call it before anything opens a file.
  static void openMissingStandardStreams();

  // Points standard output and standard error at the null device, so that a program started
  // in this process's place writes nowhere instead of into whatever the streams were.
  static void detachStandardStreams();
  static void sleep(unsigned long milliseconds);

  // Replaces the process with the program at path, as the C runtime's exec call does on
  // Windows: the elements of arguments (up to the null one) are joined with blanks into one
  // command line, which the new program splits by the Windows rules. The first element, the
  // program's own path, is quoted when it holds a blank or a tab; the others are passed as
  // they are. Returns only when the program cannot be started.
  static void replaceWith(const char* path, const char* const* arguments);

  // The largest resident memory of the process so far, in KiB (0 when the platform cannot tell).
  static unsigned long peakMemoryKiB();

  // Ends the process at once with status: no destructors, no exit handlers.
  [[noreturn]] static void endNow(int status);

  // The command line that replaceWith hands over for arguments.
  static std::string commandLine(const char* const* arguments);
  // A command line split into arguments by the Windows C runtime's rules: blanks and tabs
  // separate; quotes group and are dropped; 2n backslashes before a quote become n and the quote
  // counts, 2n+1 become n and a literal quote; other backslashes stand for themselves; "" inside
  // quotes is a literal quote. The first argument (the program name) ends at the first blank
  // or tab outside quotes and takes no escapes.
  static std::vector<std::string> splitCommandLine(const std::string& commandLine);
};

#endif
