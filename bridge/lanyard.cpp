// The launcher-facing Dym entry points: the plain family's work under the launcher's
// conventions.
#include "lanyard.hpp"

#include "istring.hpp"
#include "lanyardstate.hpp"

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
  // The launcher's run of its application, which then ends as it would under java. One
  // environment spans both: a thread that the run had to attach itself would otherwise be
  // detached in between, and what main let escape described before the end could see it.
  return guardBoundary("DymCallJavaCodeMP", [&] {
    ThreadEnv thread;
    const std::int32_t result = CallJavaCodeMP(className, arguments);
    endWithApplication(thread);
    return result;
  });
}
