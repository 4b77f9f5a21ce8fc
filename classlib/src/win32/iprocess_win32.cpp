// IProcess on Windows: the NUL device as the standard handles, Sleep, and the C runtime's _execv.
#include "iprocess.hpp"

#include <windows.h>

#include <process.h>
#include <stdio.h>

#include <string>
#include <vector>

void IProcess::detachStandardStreams() {
  // The C runtime hands the standard handles to the program it starts: both go to NUL, for
  // the handles and for the runtime's own streams.
  HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_OUTPUT_HANDLE, null);
  SetStdHandle(STD_ERROR_HANDLE, null);
  freopen("NUL", "w", stdout);
  freopen("NUL", "w", stderr);
}

void IProcess::sleep(unsigned long milliseconds) { Sleep(milliseconds); }

void IProcess::replaceWith(const char* path, const char* const* arguments) {
  // _execv joins the elements with blanks and quotes nothing: a program path with a blank is
  // quoted here, or the new program would split its own name.
  std::string program = arguments != nullptr && arguments[0] != nullptr ? arguments[0] : path;
  if (program.empty() || program.find_first_of(" \t") != std::string::npos)
    program = "\"" + program + "\"";
  std::vector<const char*> argv;
  argv.push_back(program.c_str());
  for (const char* const* a = arguments != nullptr && arguments[0] != nullptr ? arguments + 1 : arguments;
       a != nullptr && *a != nullptr; ++a)
    argv.push_back(*a);
  argv.push_back(nullptr);
  _execv(path, argv.data());
}

void IProcess::endNow(int status) { ExitProcess(static_cast<UINT>(status)); }
