// IProcess on Windows: the NUL device as the standard handles, Sleep, and the C runtime's _execv.
#include "iprocess.hpp"

#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <string>

// A Windows program's standard streams are handles, not the lowest free numbers: one that is
// missing stays missing, and nothing opened later takes its place.
void IProcess::openMissingStandardStreams() {}

void IProcess::detachStandardStreams() {
  // The program started next gets its standard handles from two places: the process's standard
  // handles and the C runtime's descriptor table, which _execv hands over. Both go to NUL, with
  // handles it inherits.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  if (null != INVALID_HANDLE_VALUE) {
    SetStdHandle(STD_OUTPUT_HANDLE, null);
    SetStdHandle(STD_ERROR_HANDLE, null);
  }
  int fd = _open("NUL", _O_WRONLY);
  if (fd >= 0) {
    _dup2(fd, 1);
    _dup2(fd, 2);
    _close(fd);
  }
}

void IProcess::sleep(unsigned long milliseconds) { Sleep(milliseconds); }

void IProcess::replaceWith(const char* path, const char* const* arguments) {
  // _execv joins its elements with blanks into the new program's command line and quotes
  // nothing: handed the command line as its one element, it passes that line on as it is.
  const char* pathOnly[] = {path, nullptr};
  std::string line = commandLine(arguments != nullptr && arguments[0] != nullptr ? arguments : pathOnly);
  const char* argv[] = {line.c_str(), nullptr};
  _execv(path, argv);
}

unsigned long IProcess::peakMemoryKiB() {
  // Looked up rather than linked: kernel32 has it from Windows 7 on, and linking psapi.dll
  // would add a DLL that quillet.exe does not otherwise need.
  typedef BOOL(WINAPI * Query)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  static Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (query == nullptr || !query(GetCurrentProcess(), &counters, sizeof counters))
    return 0;
  return static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024);
}

void IProcess::endNow(int status) { ExitProcess(static_cast<UINT>(status)); }
