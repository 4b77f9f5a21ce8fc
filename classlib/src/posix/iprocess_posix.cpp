// IProcess on POSIX: the null device, nanosleep, execv with the arguments of a Windows command line.
#include "iprocess.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

void IProcess::openMissingStandardStreams() {
  // Descriptors are handed out lowest first, so opening in order fills 0, 1 and 2 exactly.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
      continue;
    int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

void IProcess::detachStandardStreams() {
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) {
    // Without a null device the streams are closed: the program started next gets none.
    close(STDOUT_FILENO);
    close(STDERR_FILENO);
    return;
  }
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  close(null);
}

void IProcess::sleep(unsigned long milliseconds) {
  timespec wait{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

namespace {

// The pipe's signal goes to the thread that wrote: blocked there for the write, it waits
// pending, and is taken away again unless it was pending before. Nothing that the process
// inherited changes, so an exec afterwards hands the program the same disposition.
void writeWithoutPipeSignal(FILE* stream, const char* text) {
  sigset_t pipeSignal, previous, pending;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  sigpending(&pending);
  const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
  std::fputs(text != nullptr ? text : "", stream);
  std::fflush(stream);
  // A closed stream stays closed: what comes later fails as quietly, without an old error.
  std::clearerr(stream);
  sigpending(&pending);
  if (!pendingBefore && sigismember(&pending, SIGPIPE) == 1) {
    const timespec now{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

void IProcess::writeStandardError(const char* text) { writeWithoutPipeSignal(stderr, text); }

void IProcess::writeStandardOutput(const char* text) { writeWithoutPipeSignal(stdout, text); }

void IProcess::replaceWith(const char* path, const char* const* arguments) {
  // The program's own name is its first element exactly: a POSIX path may hold any byte,
  // quotes included, which no Windows command line could carry. The later elements go through
  // the command line and its Windows split, so that java gets here what java.exe gets on
  // Windows.
  std::vector<std::string> passed = passedArguments(arguments);
  std::vector<char*> argv;
  argv.reserve(passed.size() + 2);
  bool named = arguments != nullptr && arguments[0] != nullptr;
  argv.push_back(const_cast<char*>(named ? arguments[0] : path));
  for (std::string& a : passed)
    argv.push_back(&a[0]);
  argv.push_back(nullptr);
  execv(path, argv.data());
}

unsigned long IProcess::peakMemoryKiB() {
  rusage usage{};
  // Linux counts ru_maxrss in KiB.
  return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<unsigned long>(usage.ru_maxrss) : 0;
}

void IProcess::endNow(int status) { _exit(status); }
