// A stand-in for the runtime's java, for the external route's tests: records what it was
// started with (its own file, arguments, current directory, PATH, where its standard streams go,
// its process id, on POSIX what SIGPIPE does to it) in the file FAKEJAVA_LOG names, then ends
// with FAKEJAVA_STATUS (default 0). The record is
// UTF-8: on Windows everything is read through the wide calls, so that names outside this
// program's ANSI code page are recorded as they were passed, not as question marks.
#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <signal.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

#if defined(_WIN32)
std::string utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1)
    return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

// The variable as the process holds it; null when it is not set.
const wchar_t* variable(const wchar_t* name, std::wstring& value) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0)
    return nullptr;
  value.assign(n, L'\0');
  value.resize(GetEnvironmentVariableW(name, &value[0], n));
  return value.c_str();
}
#endif

// Where a standard stream goes: "null" for the null device, "none" for no stream, else "other".
std::string streamTarget(int which) {
#if defined(_WIN32)
  HANDLE handle = GetStdHandle(which == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
    return "none";
  // The null device is a character device that is no console.
  DWORD mode = 0;
  if (GetFileType(handle) == FILE_TYPE_CHAR && !GetConsoleMode(handle, &mode))
    return "null";
  return "other";
#else
  char link[64], target[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", which);
  ssize_t n = readlink(link, target, sizeof target - 1);
  if (n < 0)
    return "none";
  target[n] = '\0';
  return std::string(target) == "/dev/null" ? "null" : "other";
#endif
}

int record(FILE* log, const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    std::fprintf(log, "arg: %s\n", arg.c_str());
#if defined(_WIN32)
  wchar_t cwd[4096] = L"", exe[4096] = L"";
  GetCurrentDirectoryW(4096, cwd);
  GetModuleFileNameW(nullptr, exe, 4096);
  std::wstring path;
  const wchar_t* pathValue = variable(L"PATH", path);
  std::fprintf(log, "commandline: %s\n", utf8(GetCommandLineW()).c_str());
  std::fprintf(log, "pid: %lu\n", static_cast<unsigned long>(GetCurrentProcessId()));
  std::fprintf(log, "exe: %s\n", utf8(exe).c_str());
  std::fprintf(log, "cwd: %s\n", utf8(cwd).c_str());
  std::fprintf(log, "path: %s\n", pathValue != nullptr ? utf8(pathValue).c_str() : "");
#else
  char cwd[4096] = "", exe[4096] = "";
  if (getcwd(cwd, sizeof cwd) == nullptr)
    cwd[0] = '\0';
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  exe[n > 0 ? n : 0] = '\0';
  const char* path = std::getenv("PATH");
  std::fprintf(log, "pid: %ld\n", static_cast<long>(getpid()));
  std::fprintf(log, "exe: %s\n", exe);
  std::fprintf(log, "cwd: %s\n", cwd);
  std::fprintf(log, "path: %s\n", path != nullptr ? path : "");
  struct sigaction pipeAction;
  sigaction(SIGPIPE, nullptr, &pipeAction);
  std::fprintf(log, "sigpipe: %s\n", pipeAction.sa_handler == SIG_IGN   ? "ignored"
                                     : pipeAction.sa_handler == SIG_DFL ? "default"
                                                                        : "handled");
#endif
  std::fprintf(log, "stdout: %s\n", streamTarget(1).c_str());
  std::fprintf(log, "stderr: %s\n", streamTarget(2).c_str());
  std::fclose(log);
  const char* status = std::getenv("FAKEJAVA_STATUS");
  return status != nullptr ? std::atoi(status) : 0;
}

} // namespace

#if defined(_WIN32)
// wmain: the C runtime splits the command line by the same rules as for main, without a code page.
int wmain(int argc, wchar_t** argv) {
  std::wstring logPath;
  if (variable(L"FAKEJAVA_LOG", logPath) == nullptr)
    return 2;
  FILE* log = _wfopen(logPath.c_str(), L"wb");
  if (log == nullptr)
    return 2;
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.push_back(utf8(argv[i]));
  return record(log, args);
}
#else
int main(int argc, char** argv) {
  const char* logPath = std::getenv("FAKEJAVA_LOG");
  if (logPath == nullptr)
    return 2;
  FILE* log = std::fopen(logPath, "w");
  if (log == nullptr)
    return 2;
  return record(log, std::vector<std::string>(argv, argv + argc));
}
#endif
