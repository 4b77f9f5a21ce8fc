// The end of the launcher's application, as java ends one: its escaped exception described,
// and the process ended with java's status once the application has no non-daemon thread left.
#include <atomic>
#include <cstdio>
#include <thread>

#include "iprocess.hpp"
#include "lanyardstate.hpp"

namespace lanyard {

namespace {

// The status java ends with: 1 when main let an exception escape, else 0.
const int statusAfterException = 1;
const int statusAfterReturn = 0;

// The name the host's thread carries once it no longer counts as one of the application's.
char hostThreadName[] = "lanyard host";

std::atomic<bool> endAwaited{false};

// DestroyJavaVM returns only once its caller is the VM's last non-daemon thread, and then runs
// the application's shutdown hooks; the process ends right after, as java's does. A
// System.exit meanwhile ends the process itself, with its own status.
void awaitApplicationEnd(int status) {
  jvm->DestroyJavaVM();
  std::fflush(nullptr);
  IProcess::endNow(status);
}

} // namespace

void endWithApplication() {
  if (!vmExists())
    return;
  int status = statusAfterReturn;
  if (env->ExceptionCheck()) {
    // "Exception in thread "main" ..." with its stack trace, on the VM's error output.
    env->ExceptionDescribe();
    status = statusAfterException;
  }
  // The host's thread made the VM and so counts as one of its non-daemon threads, which would
  // keep DestroyJavaVM waiting for ever. It stays attached, so that the bridge's other entry
  // points keep working, but as a daemon thread.
  JavaVMAttachArgs daemon{JNI_VERSION_1_6, hostThreadName, nullptr};
  if (jvm->DetachCurrentThread() != JNI_OK)
    return; // still the application's: the process lives on as it would have before
  if (jvm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &daemon) != JNI_OK)
    vmDestroyed = true; // no environment for this thread: nothing may use the old one
  if (endAwaited.exchange(true))
    return;
  std::thread(awaitApplicationEnd, status).detach();
}

} // namespace lanyard
