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

  // Writes text to the standard error (or output) stream and flushes it. A stream that is
  // closed, or a pipe whose reader has gone, loses the text and nothing more: the write never
  // ends the process (on POSIX the pipe would raise SIGPIPE, whose default ends it), and the
  // signal's disposition stays as the process inherited it, for the programs it starts.
  static void writeStandardError(const char* text);
  static void writeStandardOutput(const char* text);

  // Runs the program at path in this process's place: the first element of arguments is the
  // program's own name, and the later ones (up to the null one) reach it as command-line text,
  // joined with blanks and split by the Windows rules (see passedArguments). path is taken as
  // it is: no search, no extension added. On POSIX the process becomes the program (execv),
  // which so ends with the program's status. Windows cannot replace a process: the program is
  // started with that command line and the process waits for it, still answering what other
  // programs send its windows, then ends with the program's exit status. Returns only when the
  // program cannot be started.
  static void replaceWith(const char* path, const char* const* arguments);

  // The largest resident memory of the process so far, in KiB (0 when the platform cannot tell).
  static unsigned long peakMemoryKiB();

  // Ends the process at once with status: no destructors, no exit handlers.
  [[noreturn]] static void endNow(int status);

  // The command line that replaceWith hands over for arguments, made as _execv makes it: the
  // first element (the program's path) is quoted when it is empty or holds a blank or a tab,
  // and never escaped, since the program name takes no escapes; the later elements are passed
  // on as the text they are, each behind one blank. An element that must reach the program as
  // one argument whatever it holds goes in through quoteArgument: for a program path without
  // a quote (a Windows file name cannot hold one),
  //   splitCommandLine(commandLine({program, quoteArgument(a1), ..., quoteArgument(an)}))
  // gives {program, a1, ..., an} back.
  static std::string commandLine(const char* const* arguments);
  // argument as command-line text that splits into exactly argument: as it is when it is not
  // empty and holds no blank, tab or quote; else in quotes, with each quote escaped and the
  // backslashes in front of a quote (or of the closing quote) doubled.
  static std::string quoteArgument(const std::string& argument);
  // A command line split into arguments by the Windows C runtime's rules: blanks and tabs
  // separate; quotes group and are dropped; 2n backslashes before a quote become n and the quote
  // counts, 2n+1 become n and a literal quote; other backslashes stand for themselves; "" inside
  // quotes is a literal quote. The first argument (the program name) ends at the first blank
  // or tab outside quotes and takes no escapes.
  static std::vector<std::string> splitCommandLine(const std::string& commandLine);
  // The arguments after its own name that the program replaceWith starts reads: the elements
  // after the first, joined into the command line and split again by the Windows rules. The
  // first element plays no part, whatever it holds.
  static std::vector<std::string> passedArguments(const char* const* arguments);
};

#endif
