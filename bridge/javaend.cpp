// The VM's end: the launcher's application ends as java ends one (its escaped exception
// described, and the process ended with java's status once the application has no non-daemon
// thread left), and a caller's DestroyJVM.
#include <thread>

#include "lanyard.hpp"
#include "lanyardstate.hpp"

namespace lanyard {

namespace {

// The status java ends with: 1 when main let an exception escape, else 0.
const int statusAfterException = 1;
const int statusAfterReturn = 0;

// DestroyJavaVM returns only once its caller is the VM's last non-daemon thread, and then runs
// the application's shutdown hooks; the process ends right after, as java's does, unless a
// fatal path has claimed its end meanwhile. A System.exit meanwhile ends the process itself,
// with its own status.
void awaitApplicationEnd(int status) {
  jvm->DestroyJavaVM();
  claimProcessEnd();
  endProcessNow(status);
}

} // namespace

void endWithApplication(ThreadEnv& thread) {
  JNIEnv* env = thread.get();
  if (env == nullptr)
    return;
  int status = statusAfterReturn;
  if (env->ExceptionCheck()) {
    // "Exception in thread "main" ..." with its stack trace, on the VM's error output.
    env->ExceptionDescribe();
    status = statusAfterException;
  }
  // The host's thread made the VM and so counts as one of its non-daemon threads, which would
  // keep DestroyJavaVM waiting for ever. It leaves the VM altogether, not just as a daemon
  // thread: it now waits for its window's events in native code, and HotSpot's exit waits up to
  // 300 ms for attached threads in native code to stop.
  if (!thread.detach())
    return; // still the application's: the process lives on as it would have before
  // Once per VM: a later run's end, or a DestroyJVM that came first, leaves the end to it.
  if (!leaveRunning(VMState::ending))
    return;
  std::thread(awaitApplicationEnd, status).detach();
}

} // namespace lanyard

std::int32_t LANYARD_STDCALL DestroyJVM() {
  // Only the call that takes the VM out of running destroys it. Before the VM exists, after it
  // was destroyed, and once the application's end has it (it is destroying it, or will), the
  // answer is the runtime's error code, with no call into the VM.
  return lanyard::destroyRunningVM();
}
