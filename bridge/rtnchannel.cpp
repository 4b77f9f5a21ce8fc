// The return-code channel from the Java application to the hosting window.
#include "iwindow.hpp"
#include "lanyard.hpp"
#include "lanyardstate.hpp"
#include "messages.hpp"
#include "rtnchannel_md.hpp"

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
    postCommandToHostWindow(*window, returnCodeCommandId);
  } catch (const IException& exception) {
    throwToJava(callerEnv, exception.text() ? exception.text() : text::postFailureFallback);
  } catch (...) {
    throwToJava(callerEnv, text::postFailureFallback);
  }
}
