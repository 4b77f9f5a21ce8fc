// A stand-in for the runtime's java, for the external route's tests: records what it was
// started with (its own file, arguments, current directory, PATH, where its standard streams
// go, its process id) in the file FAKEJAVA_LOG names, then ends with FAKEJAVA_STATUS (default 0).
#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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

} // namespace

int main(int argc, char** argv) {
  const char* logPath = std::getenv("FAKEJAVA_LOG");
  if (logPath == nullptr)
    return 2;
  FILE* log = std::fopen(logPath, "w");
  if (log == nullptr)
    return 2;
  for (int i = 0; i < argc; ++i)
    std::fprintf(log, "arg: %s\n", argv[i]);
  char cwd[4096] = "", exe[4096] = "";
#if defined(_WIN32)
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  GetCurrentDirectoryA(sizeof cwd, cwd);
  std::fprintf(log, "commandline: %s\n", GetCommandLineA());
  std::fprintf(log, "pid: %lu\n", static_cast<unsigned long>(GetCurrentProcessId()));
#else
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  exe[n > 0 ? n : 0] = '\0';
  if (getcwd(cwd, sizeof cwd) == nullptr)
    cwd[0] = '\0';
  std::fprintf(log, "pid: %ld\n", static_cast<long>(getpid()));
#endif
  std::fprintf(log, "exe: %s\n", exe);
  std::fprintf(log, "cwd: %s\n", cwd);
  const char* path = std::getenv("PATH");
  std::fprintf(log, "path: %s\n", path != nullptr ? path : "");
  std::fprintf(log, "stdout: %s\n", streamTarget(1).c_str());
  std::fprintf(log, "stderr: %s\n", streamTarget(2).c_str());
  std::fclose(log);
  const char* status = std::getenv("FAKEJAVA_STATUS");
  return status != nullptr ? std::atoi(status) : 0;
}
