// The bridge's state, its launcher-facing Dym entry points and the shared fatal path.
#include "lanyard.hpp"

#include <cstdio>
#include <cstdlib>

#include "imsgbox.hpp"
#include "iprocess.hpp"
#include "istring.hpp"
#include "iwindow.hpp"
#include "lanyardstate.hpp"
#include "messages.hpp"

namespace lanyard {

JavaVM* jvm = nullptr;
JNIEnv* env = nullptr;
bool vmDestroyed = false;
std::atomic<IWindow*> rtnPtr{nullptr};

void endProcess(const char* boxTitle, const char* boxText, const char* output, bool destroyVM) {
  try {
    IMessageBox box(IWindow::desktopWindow());
    box.setTitle(boxTitle);
    box.show(IException(boxText, 0, IException::unrecoverable));
  } catch (...) {
    // The message must not be lost because the box could not be shown.
    IProcess::writeStandardError((IString(boxTitle) + ": " + boxText + "\n").c_str());
  }
  IProcess::writeStandardOutput(output);
  if (destroyVM && vmExists())
    DestroyJVM();
  std::exit(1);
}

void endProcessAfterFailure(const char* entryPoint, const char* text) {
  std::fflush(stdout);
  char line[1024];
  std::snprintf(line, sizeof line, text::unexpectedFailureFormat, entryPoint, text);
  IProcess::writeStandardError(line);
  if (vmExists())
    DestroyJVM();
  std::exit(1);
}

} // namespace lanyard

using namespace lanyard;

void DymInitializeJVM(const char* toolName) {
  InitializeJVM(toolName);
}

void DymCallJavaCode(const char* className) {
  guardBoundary("DymCallJavaCode", [&] {
    // A null class name becomes the empty one, which names no class.
    const IString name(className);
    const IString zero(0);
    CallJavaCode(name, zero);
  });
}

std::int32_t DymCallJavaCodeMP(const char* className, const char* arguments) {
  // The launcher's run of its application, which then ends as it would under java.
  const std::int32_t result = CallJavaCodeMP(className, arguments);
  guardBoundary("DymCallJavaCodeMP", [] { endWithApplication(); });
  return result;
}
