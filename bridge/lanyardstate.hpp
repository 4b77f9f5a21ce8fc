// The bridge's process-wide state and the fatal path that its entry points share.
#ifndef LANYARD_STATE_HPP
#define LANYARD_STATE_HPP

#include <jni.h>

#include <atomic>
#include <cstdint>
#include <exception>

#include "iexcept.hpp"

class IWindow;

namespace lanyard {

// The life of the process's one VM. The entry points may be called on any thread and the
// application's end runs on a thread of its own, so every change is one atomic step, and only
// these happen:
//   none -> running        InitializeJVM created it
//   running -> destroyed   DestroyJVM, or a fatal path through it, destroys it
//   running -> ending      the launcher's run of main handed it to the application's end, which
//                          destroys it once the application has no non-daemon thread left; it
//                          runs the application (and the bridge's calls) until then
// One caller alone takes the VM out of running, so DestroyJavaVM is called once per VM whoever
// asks for it.
enum class VMState { none, running, ending, destroyed };
extern std::atomic<VMState> vmState;

// The one VM of the process. Set before vmState first says running, which publishes it to the
// other threads, and never reset; used only by a thread that has seen running or ending.
extern JavaVM* jvm;

// The window that receives the return-code event; not owned. Java threads read it while the
// native side may replace it, so it is one atomic word.
extern std::atomic<IWindow*> rtnPtr;

// Takes the VM from running to next; true for the one caller that did.
bool leaveRunning(VMState next) noexcept;

// Destroys the VM when it is running, and gives the runtime's answer; JNI_ERR, with no call into
// the VM, before it exists, after it was destroyed, and once the application's end has it.
std::int32_t destroyRunningVM() noexcept;

// The calling thread's JNI environment for the length of one entry point's work. An
// environment belongs to its thread, so each call asks the VM for its own. A thread that is not
// attached is attached for the call as a non-daemon thread named "main" (it runs a main, as
// java's main thread does) and detached when the scope ends, after an exception left pending
// is described: nothing later on the thread could see it.
class ThreadEnv {
public:
  ThreadEnv() noexcept;
  ~ThreadEnv();
  ThreadEnv(const ThreadEnv&) = delete;
  ThreadEnv& operator=(const ThreadEnv&) = delete;

  // Null when the VM is neither running nor ending, or when it would not attach the thread.
  JNIEnv* get() const noexcept { return env_; }
  // Detaches the thread, whoever attached it (the creating thread was attached by the runtime);
  // false, with the thread still attached, when the runtime refuses.
  bool detach() noexcept;

private:
  JNIEnv* env_ = nullptr;
  bool attachedHere_ = false;
};

// The environment of a thread that is attached already, else null; never attaches. Only for a
// thread that has seen the VM running or ending.
JNIEnv* attachedEnv() noexcept;

// Describes the Java exception pending on env's thread (none with a null env) on the VM's
// error output and clears it: JNI calls other than the exception functions are not allowed
// while it is pending.
void describePendingException(JNIEnv* env) noexcept;

// The process ends once. The first of the application's end and the fatal paths to claim it
// decides the status; a later claimant's thread waits for that end instead of racing it.
void claimProcessEnd() noexcept;

// Ends the process with status while the VM's threads may still run: the standard streams
// flushed, then no destructors or exit handlers run under those threads.
[[noreturn]] void endProcessNow(int status) noexcept;

// The fatal path: the box (title, and text shown as an unrecoverable exception), then output
// on standard output, flushed, then (with destroyVM) the VM destroyed where it is still this
// process's to destroy, then exit code 1. After the hand-over to the application's end the VM
// is not destroyed again: the error pending on the calling thread is described and the process
// ends with 1 at once, without waiting for the application.
[[noreturn]] void endProcess(const char* boxTitle, const char* boxText, const char* output,
                             bool destroyVM = true);

// An exception that reached an entry point's boundary: it must not leave the library (the
// caller's module and the JVM have runtimes of their own), so it ends the process instead.
[[noreturn]] void endProcessAfterFailure(const char* entryPoint, const char* text);

// After the launcher's run of main on thread's environment: describes an exception that main
// let escape and ends the process, with java's status (1 after an exception, else 0), once the
// application has no non-daemon thread left, as java does; System.exit still ends it first. The
// calling thread leaves the VM (the bridge's entry points attach it again for their calls).
void endWithApplication(ThreadEnv& thread);

// Runs body and stops every C++ exception at the entry point's boundary.
template <class Body>
auto guardBoundary(const char* entryPoint, Body body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const IException& exception) {
    endProcessAfterFailure(entryPoint, exception.text() ? exception.text() : exception.name());
  } catch (const std::exception& exception) {
    endProcessAfterFailure(entryPoint, exception.what());
  } catch (...) {
    endProcessAfterFailure(entryPoint, "unknown exception");
  }
}

} // namespace lanyard

#endif
