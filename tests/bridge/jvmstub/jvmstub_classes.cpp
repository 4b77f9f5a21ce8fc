// The scripted classes of the test-only jvm.dll: what their main methods play for the tests.
#include "jvmstub.hpp"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace jvmstub {

// --- the scripted classes -------------------------------------------------------------------

// stub/Echo       main records its arguments (and holds, see holdingThread)
// stub/Throws     main records its arguments, holds and throws java.lang.RuntimeException
// stub/SetRC      main calls lanyard's setRC from JVMSTUB_SETRC_THREADS threads of its own,
//                 JVMSTUB_SETRC_CALLS times each, waits for them and records the outcome
// com/obel/dorntools/quillet/StartQuillet
//                 the application's start class as the launcher's tests pace it (playStart)
// java/lang/String, java/lang/IllegalStateException: the library classes the bridge uses
// Every other name is a missing class.
namespace {

const char* const startClass = "com/obel/dorntools/quillet/StartQuillet";

} // namespace

bool knownClass(const std::string& name) {
  return name == "stub/Echo" || name == "stub/Throws" || name == "stub/SetRC" || name == startClass ||
         name == "java/lang/String" ||
         name == "java/lang/IllegalStateException";
}

namespace {

typedef void(JNICALL* SetRCFunction)(JNIEnv*, jclass, jint, jint);

DWORD WINAPI setRCThread(LPVOID parameter) {
  attached = true; // a Java thread of the application
  const int calls = *static_cast<const int*>(parameter);
  HMODULE lanyard = GetModuleHandleA("lanyard.dll");
  SetRCFunction setRC = lanyard ? reinterpret_cast<SetRCFunction>(reinterpret_cast<void*>(
                                      GetProcAddress(lanyard,
                                                     "Java_com_obel_dorntools_quillet_CReturn_setRC")))
                                : nullptr;
  if (setRC == nullptr)
    misuse("setRC is not exported by a loaded lanyard.dll");
  Object* creturn = newObject(Object::classObject, "com/obel/dorntools/quillet/CReturn");
  for (int i = 0; i < calls; ++i) {
    setRC(theEnv(), ref<jclass>(creturn), i, -i);
    if (pending != nullptr) {
      record("setRC threw " + pending->text + ": " + pending->message);
      pending = nullptr;
    }
  }
  return 0;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits for a file that the test makes; a test that has gone away ends the process after two
// minutes instead of leaving it behind.
void awaitFile(const std::string& path) {
  for (int i = 0; i < 2400 && !fileExists(path); ++i)
    Sleep(50);
  if (!fileExists(path)) {
    record("no " + path + " within two minutes");
    ExitProcess(99);
  }
}

void touchFile(const std::string& path) {
  if (FILE* file = std::fopen(path.c_str(), "wb"))
    std::fclose(file);
}

// The application's life after main: setRC twice when "release-setrc" appears, then the end
// of the process when "release-exit" appears, as the Java start class of the Linux tests does.
DWORD WINAPI applicationThread(LPVOID parameter) {
  adoptNonDaemon();
  const std::string dir = static_cast<const char*>(parameter);
  if (dir.empty()) {
    Sleep(300);
    record("StartQuillet ends the process with 0");
    ExitProcess(0);
  }
  awaitFile(dir + "\\release-setrc");
  static int calls = 2;
  setRCThread(&calls);
  record("StartQuillet setRC done");
  touchFile(dir + "\\setrc-done");
  awaitFile(dir + "\\release-exit");
  const int code = environmentNumber("QUILLET_TEST_EXIT_CODE", 0);
  record("StartQuillet ends the process with " + std::to_string(code));
  ExitProcess(static_cast<UINT>(code));
}

// A thread of the application that outlives main by JVMSTUB_OUTLIVE_MS milliseconds and then
// ends by itself, leaving the process to end when nothing else is left.
DWORD WINAPI outlivingThread(LPVOID) {
  adoptNonDaemon();
  Sleep(static_cast<DWORD>(environmentNumber("JVMSTUB_OUTLIVE_MS", 3000)));
  record("StartQuillet thread ends");
  endNonDaemon();
  return 0;
}

// With JVMSTUB_HOLD naming a file, main leaves this thread of the application behind until the
// file appears. The application's end ends the process as soon as main has returned through
// DymCallJavaCodeMP; the hold lets a test see what its caller does first.
DWORD WINAPI holdingThread(LPVOID) {
  adoptNonDaemon();
  awaitFile(std::getenv("JVMSTUB_HOLD"));
  endNonDaemon();
  return 0;
}

void holdIfAsked() {
  const char* hold = std::getenv("JVMSTUB_HOLD");
  if (hold != nullptr && *hold != '\0')
    startApplicationThread(holdingThread, nullptr);
}

// JVMSTUB_START chooses how the start class's main ends: "throw" (an exception escapes it),
// "return" (at once, leaving no thread), "outlive" (at once, leaving outlivingThread); by
// default it plays the paced start below.
bool playStartMode() {
  const char* mode = std::getenv("JVMSTUB_START");
  if (mode == nullptr || *mode == '\0')
    return false;
  if (std::strcmp(mode, "throw") == 0)
    raise("java/lang/IllegalStateException", "thrown by the start class");
  else if (std::strcmp(mode, "outlive") == 0)
    startApplicationThread(outlivingThread, nullptr);
  else if (std::strcmp(mode, "return") != 0)
    misuse(std::string("unknown JVMSTUB_START ") + mode);
  record(std::string("StartQuillet main ends: ") + mode);
  return true;
}

// Without QUILLET_TEST_DIR main returns at once and the process ends with 0 soon after; with
// it, main writes "main-started" there and returns when "release-main" appears.
void playStart() {
  if (playStartMode())
    return;
  const char* dir = std::getenv("QUILLET_TEST_DIR");
  static std::string where = dir != nullptr ? dir : "";
  if (!where.empty()) {
    touchFile(where + "\\main-started");
    awaitFile(where + "\\release-main");
  }
  startApplicationThread(applicationThread, const_cast<char*>(where.c_str()));
  record("StartQuillet main returns");
}

} // namespace

void playMain(const Object* mainClass, const Object* arguments) {
  std::string line = "main " + mainClass->text + " [" +
                     std::to_string(arguments ? arguments->elements.size() : 0) + "]";
  if (arguments != nullptr)
    for (const Object* element : arguments->elements)
      line += " " + describe(element);
  record(arguments ? line : "main " + mainClass->text + " null");

  if (mainClass->text == startClass) {
    playStart();
  } else if (mainClass->text == "stub/Echo") {
    holdIfAsked();
  } else if (mainClass->text == "stub/Throws") {
    holdIfAsked();
    raise("java/lang/RuntimeException", "thrown by main");
  } else if (mainClass->text == "stub/SetRC") {
    static int calls;
    calls = environmentNumber("JVMSTUB_SETRC_CALLS", 1);
    const int threadCount = environmentNumber("JVMSTUB_SETRC_THREADS", 1);
    std::vector<HANDLE> threads;
    for (int t = 0; t < threadCount; ++t)
      threads.push_back(CreateThread(nullptr, 0, setRCThread, &calls, 0, nullptr));
    for (HANDLE thread : threads) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
    record("main stub/SetRC done " + std::to_string(threadCount * calls) + " calls");
  }
}

} // namespace jvmstub
