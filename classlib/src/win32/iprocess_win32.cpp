// IProcess on Windows: the NUL device as the standard handles, Sleep, and a program run in the
// process's place and waited for.
#include "iprocess.hpp"

#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

// A Windows program's standard streams are handles, not the lowest free numbers: one that is
// missing stays missing, and nothing opened later takes its place.
void IProcess::openMissingStandardStreams() {}

void IProcess::detachStandardStreams() {
  // The program started next gets the process's standard handles, and the process's own C
  // runtime keeps writing through its descriptor table: both go to NUL, with handles the program
  // inherits.
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

// Windows has no signal for a broken pipe: the write fails, and that is all.
void IProcess::writeStandardError(const char* text) {
  std::fputs(text != nullptr ? text : "", stderr);
  std::fflush(stderr);
  std::clearerr(stderr);
}

void IProcess::writeStandardOutput(const char* text) {
  std::fputs(text != nullptr ? text : "", stdout);
  std::fflush(stdout);
  std::clearerr(stdout);
}

void IProcess::replaceWith(const char* path, const char* const* arguments) {
  const char* pathOnly[] = {path, nullptr};
  std::string line = commandLine(arguments != nullptr && arguments[0] != nullptr ? arguments : pathOnly);
  // The program's standard handles are this process's (NUL after detachStandardStreams), handed
  // over as the C runtime's spawn hands them.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  // With the application's name given, CreateProcess neither searches nor adds an extension:
  // the file at path runs, and no java.com or java.bat beside it.
  if (!CreateProcessA(path, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child))
    return;
  CloseHandle(child.hThread);
  // Messages that other programs send to this thread's windows (a broadcast of a changed
  // setting, say) wait for an answer: they are answered, and posted ones stay queued.
  for (;;) {
    DWORD woken = MsgWaitForMultipleObjects(1, &child.hProcess, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0 + 1) {
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    if (woken != WAIT_OBJECT_0)
      WaitForSingleObject(child.hProcess, INFINITE);
    break;
  }
  DWORD status = 1;
  GetExitCodeProcess(child.hProcess, &status);
  ExitProcess(status);
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
