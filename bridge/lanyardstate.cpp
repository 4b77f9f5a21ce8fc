// The bridge's process-wide state (the VM's life, the thread environments, the window that is
// told) and the fatal path that its entry points share.
#include "lanyardstate.hpp"

#include <cstdio>
#include <cstdlib>

#include "imsgbox.hpp"
#include "iprocess.hpp"
#include "istring.hpp"
#include "iwindow.hpp"
#include "messages.hpp"

namespace lanyard {

std::atomic<VMState> vmState{VMState::none};
JavaVM* jvm = nullptr;
std::atomic<IWindow*> rtnPtr{nullptr};

namespace {

std::atomic<bool> processEndClaimed{false};

// java's main thread carries this name, and so the descriptions of what escapes a main.
char mainThreadName[] = "main";

const unsigned long parkMilliseconds = 1000;

// The common end of the fatal paths, after their texts.
[[noreturn]] void endAfterFailure(bool destroyVM) {
  if (destroyVM)
    destroyRunningVM(); // only while the VM is still this process's to destroy
  if (vmState.load() == VMState::ending) {
    // The application's end owns the VM and may be inside DestroyJavaVM, waiting for the
    // application's threads: not waited for, and the process's objects not torn down under
    // those threads. The error that brought the path here is described as destroying would.
    describePendingException(attachedEnv());
    endProcessNow(1);
  }
  std::exit(1);
}

} // namespace

bool leaveRunning(VMState next) noexcept {
  VMState expected = VMState::running;
  return vmState.compare_exchange_strong(expected, next);
}

std::int32_t destroyRunningVM() noexcept {
  if (!leaveRunning(VMState::destroyed))
    return JNI_ERR;
  // A thread that is not attached has nothing pending; the runtime attaches it to destroy.
  describePendingException(attachedEnv());
  return jvm->DestroyJavaVM();
}

ThreadEnv::ThreadEnv() noexcept {
  const VMState state = vmState.load();
  if (state != VMState::running && state != VMState::ending)
    return;
  void* found = nullptr;
  const jint got = jvm->GetEnv(&found, JNI_VERSION_1_6);
  if (got == JNI_OK) {
    env_ = static_cast<JNIEnv*>(found);
    return;
  }
  if (got != JNI_EDETACHED)
    return;
  JavaVMAttachArgs attachment{JNI_VERSION_1_6, mainThreadName, nullptr};
  if (jvm->AttachCurrentThread(&found, &attachment) != JNI_OK)
    return;
  env_ = static_cast<JNIEnv*>(found);
  attachedHere_ = true;
}

ThreadEnv::~ThreadEnv() {
  if (!attachedHere_)
    return;
  // Detaching would otherwise hand it to the thread's uncaught-exception handler.
  describePendingException(env_);
  jvm->DetachCurrentThread();
}

bool ThreadEnv::detach() noexcept {
  if (env_ == nullptr || jvm->DetachCurrentThread() != JNI_OK)
    return false;
  env_ = nullptr;
  attachedHere_ = false;
  return true;
}

JNIEnv* attachedEnv() noexcept {
  void* found = nullptr;
  return jvm->GetEnv(&found, JNI_VERSION_1_6) == JNI_OK ? static_cast<JNIEnv*>(found) : nullptr;
}

void describePendingException(JNIEnv* env) noexcept {
  if (env != nullptr && env->ExceptionCheck())
    env->ExceptionDescribe();
}

void claimProcessEnd() noexcept {
  if (!processEndClaimed.exchange(true))
    return;
  // The first claimant ends the process: at once after the application's end, or once its
  // box is answered after a fatal path.
  for (;;)
    IProcess::sleep(parkMilliseconds);
}

void endProcessNow(int status) noexcept {
  std::fflush(nullptr);
  IProcess::endNow(status);
}

void endProcess(const char* boxTitle, const char* boxText, const char* output, bool destroyVM) {
  claimProcessEnd();
  try {
    IMessageBox box(IWindow::desktopWindow());
    box.setTitle(boxTitle);
    box.show(IException(boxText, 0, IException::unrecoverable));
  } catch (...) {
    // The message must not be lost because the box could not be shown.
    IProcess::writeStandardError((IString(boxTitle) + ": " + boxText + "\n").c_str());
  }
  IProcess::writeStandardOutput(output);
  endAfterFailure(destroyVM);
}

void endProcessAfterFailure(const char* entryPoint, const char* text) {
  claimProcessEnd();
  std::fflush(stdout);
  char line[1024];
  std::snprintf(line, sizeof line, text::unexpectedFailureFormat, entryPoint, text);
  IProcess::writeStandardError(line);
  endAfterFailure(true);
}

} // namespace lanyard

