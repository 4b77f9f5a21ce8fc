// The bridge's process-wide state and the fatal path that its entry points share.
#ifndef LANYARD_STATE_HPP
#define LANYARD_STATE_HPP

#include <jni.h>

#include <atomic>
#include <exception>

#include "iexcept.hpp"

class IWindow;

namespace lanyard {

// The one VM of the process and the JNI environment of the thread that created it. Neither is
// reset when the VM is destroyed; vmDestroyed records that instead.
extern JavaVM* jvm;
extern JNIEnv* env;
extern bool vmDestroyed;
// The window that receives the return-code event; not owned. Java threads read it while the
// native side may replace it, so it is one atomic word.
extern std::atomic<IWindow*> rtnPtr;

// Whether a VM was created and has not been destroyed since.
inline bool vmExists() noexcept { return env != nullptr && !vmDestroyed; }

// The fatal path: the box (title, and text shown as an unrecoverable exception), then output
// on standard output, flushed, then (with destroyVM) the VM destroyed where one exists, then
// exit code 1.
[[noreturn]] void endProcess(const char* boxTitle, const char* boxText, const char* output,
                             bool destroyVM = true);

// An exception that reached an entry point's boundary: it must not leave the library (the
// caller's module and the JVM have runtimes of their own), so it ends the process instead.
[[noreturn]] void endProcessAfterFailure(const char* entryPoint, const char* text);

// After the launcher's run of main: describes an exception that main let escape and ends the
// process, with java's status (1 after an exception, else 0), once the application has no
// non-daemon thread left, as java does; System.exit still ends it first. The calling thread
// stays attached to the VM as a daemon thread.
void endWithApplication();

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
