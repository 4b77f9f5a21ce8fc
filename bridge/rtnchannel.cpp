// The return-code channel from the Java application to the hosting window, and shutdown.
#include "iwindow.hpp"
#include "lanyard.hpp"
#include "lanyardstate.hpp"
#include "messages.hpp"

namespace {

using namespace lanyard;

// The return-code event: WM_COMMAND with command id 1104 (high word 0) and no control window.
const unsigned long returnCodeCommandId = 1104;

// Hands a class-library failure to the Java caller as a Java exception: a C++ exception must
// not unwind into the JVM.
void throwToJava(JNIEnv* callerEnv, const char* message) {
  jclass exceptionClass = callerEnv->FindClass(text::postFailureClass);
  if (exceptionClass == nullptr)
    return; // the runtime's own exception (from FindClass) is pending instead
  callerEnv->ThrowNew(exceptionClass, message);
  callerEnv->DeleteLocalRef(exceptionClass);
}

// Posts the return-code event to window; a failure raises the class library's windowing error
// in this module.
void postReturnCode(const IWindow& window) {
#if defined(_WIN32)
  // Windows: the window object comes from the caller's module, which carries a C++ runtime of
  // its own, and an exception raised by its posting cannot unwind through this library's frames
  // (MinGW: std::terminate). PostMessageA reaches the window's queue from any module, so the
  // post goes through this library's own copy of the handle's operation.
  window.handle().postEvent(IWindow::command, IEventParameter1(returnCodeCommandId),
                            IEventParameter2(0));
#else
  // X11: posted events wait in a queue of the class-library copy that runs the window's event
  // loop, which only the window's own operation reaches; the C++ runtime is shared here.
  window.postEvent(IWindow::command, IEventParameter1(returnCodeCommandId), IEventParameter2(0));
#endif
}

} // namespace

IWindow* DymSetRTNPtr(IWindow* window) {
  rtnPtr.store(window);
  return window;
}

extern "C" JNIEXPORT void JNICALL Java_com_obel_dorntools_quillet_CReturn_setRC(JNIEnv* callerEnv,
                                                                               jclass, jint, jint) {
  // The event carries no value: every call posts the same one.
  IWindow* window = rtnPtr.load();
  if (window == nullptr)
    return; // no window registered: nobody to tell
  try {
    postReturnCode(*window);
  } catch (const IException& exception) {
    throwToJava(callerEnv, exception.text() ? exception.text() : text::postFailureFallback);
  } catch (...) {
    throwToJava(callerEnv, text::postFailureFallback);
  }
}

std::int32_t LANYARD_STDCALL DestroyJVM() {
  // Nothing to destroy before the VM exists or after it was destroyed: the runtime's error
  // code, instead of a call through a null or dead VM.
  if (!vmExists())
    return JNI_ERR;
  jthrowable pending = env->ExceptionOccurred();
  if (pending != nullptr) {
    env->ExceptionDescribe();
    env->DeleteLocalRef(pending);
  }
  vmDestroyed = true;
  return jvm->DestroyJavaVM();
}
