// A test-only jvm.dll for running lanyard under Wine: JNI_CreateJavaVM and the JNI functions
// the bridge uses, each call recorded in the file that JVMSTUB_LOG names, and a few scripted
// classes whose main methods play what the tests need. Never shipped.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// --- the record of calls ------------------------------------------------------------------

std::mutex logLock;

void record(const std::string& line) {
  std::lock_guard<std::mutex> guard(logLock);
  const char* path = std::getenv("JVMSTUB_LOG");
  if (path == nullptr || *path == '\0')
    return;
  if (FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

[[noreturn]] void misuse(const std::string& what) {
  record("MISUSE " + what);
  std::fprintf(stderr, "jvmstub: %s\n", what.c_str());
  std::fflush(stderr);
  ExitProcess(70);
}

int environmentNumber(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : otherwise;
}

// --- objects ---------------------------------------------------------------------------------

// Every reference the stand-in hands out points to one of these; none is ever freed (a test
// process is short).
struct Object {
  enum Kind { classObject, stringObject, arrayObject, throwableObject } kind;
  std::string text;             // class name, string contents, or throwable class name
  std::string message;          // throwable message
  std::vector<Object*> elements; // array elements
  const Object* elementClass = nullptr;
};

Object* newObject(Object::Kind kind, const std::string& text) {
  Object* object = new Object;
  object->kind = kind;
  object->text = text;
  return object;
}

Object* cast(void* reference) {
  return static_cast<Object*>(reference);
}

template <class Reference> Reference ref(Object* object) {
  return reinterpret_cast<Reference>(object);
}

std::string describe(const Object* object) {
  if (object == nullptr)
    return "null";
  if (object->kind == Object::stringObject)
    return "\"" + object->text + "\"";
  return "<" + object->text + ">";
}

// A Java exception pending on the calling thread.
thread_local Object* pending = nullptr;

void raise(const char* className, const std::string& message) {
  Object* throwable = newObject(Object::throwableObject, className);
  throwable->message = message;
  pending = throwable;
}

std::atomic<bool> vmDestroyed{false};
// DestroyJavaVM calls made since the VM was created; the VM allows exactly one.
std::atomic<int> destroyCalls{0};

// Whether the calling thread is attached to the VM, as GetEnv tells: the creating thread until
// it detaches, a thread that attaches itself until it detaches, and the scripted application's
// threads, which are Java threads. A JNIEnv belongs to its thread alone.
thread_local bool attached = false;

// The VM's non-daemon threads, as DestroyJavaVM counts them: the creating thread and each
// thread that attaches itself, until they detach, and the application threads the scripted
// classes start.
std::atomic<int> nonDaemonThreads{0};
thread_local bool isNonDaemon = false;

void beginNonDaemon() {
  isNonDaemon = true;
  ++nonDaemonThreads;
}

// A thread of the application: it counts from before it starts, so that DestroyJavaVM cannot
// miss it; the thread marks itself (adoptNonDaemon) as it begins.
void startApplicationThread(LPTHREAD_START_ROUTINE body, void* parameter) {
  ++nonDaemonThreads;
  CloseHandle(CreateThread(nullptr, 0, body, parameter, 0, nullptr));
}

void adoptNonDaemon() {
  isNonDaemon = true;
  attached = true;
}

void endNonDaemon() {
  if (isNonDaemon) {
    isNonDaemon = false;
    --nonDaemonThreads;
  }
}

void requireLiveVM(const char* function) {
  if (vmDestroyed)
    misuse(std::string(function) + " after DestroyJavaVM");
}

// Every JNIEnv function: only on a thread that is attached (the real runtime crashes or
// corrupts another thread's state instead).
void requireEnv(const char* function) {
  requireLiveVM(function);
  if (!attached)
    misuse(std::string(function) + " on a thread that is not attached");
}

// A JNI call other than the exception functions and DeleteLocalRef must not be made while an
// exception is pending (the real runtime's -Xcheck:jni reports it).
void requireNoPending(const char* function) {
  requireEnv(function);
  if (pending != nullptr)
    misuse(std::string(function) + " with an exception pending");
}

// --- the scripted classes -------------------------------------------------------------------

// stub/Echo       main records its arguments (and holds, see holdingThread)
// stub/Throws     main records its arguments, holds and throws java.lang.RuntimeException
// stub/SetRC      main calls lanyard's setRC from JVMSTUB_SETRC_THREADS threads of its own,
//                 JVMSTUB_SETRC_CALLS times each, waits for them and records the outcome
// com/obel/dorntools/quillet/StartQuillet
//                 the application's start class as the launcher's tests pace it (playStart)
// java/lang/String, java/lang/IllegalStateException: the library classes the bridge uses
// Every other name is a missing class.
const char* const startClass = "com/obel/dorntools/quillet/StartQuillet";

bool knownClass(const std::string& name) {
  return name == "stub/Echo" || name == "stub/Throws" || name == "stub/SetRC" || name == startClass ||
         name == "java/lang/String" ||
         name == "java/lang/IllegalStateException";
}

struct Method {
  const Object* owner;
};

JNIEnv* theEnv();

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

// --- the JNI functions ------------------------------------------------------------------------

jclass JNICALL findClass(JNIEnv*, const char* name) {
  requireNoPending("FindClass");
  record(std::string("FindClass ") + (name ? name : "(null)"));
  if (name == nullptr)
    misuse("FindClass with a null name");
  if (!knownClass(name)) {
    raise("java/lang/NoClassDefFoundError", name);
    return nullptr;
  }
  return ref<jclass>(newObject(Object::classObject, name));
}

jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass cls, const char* name, const char* signature) {
  requireNoPending("GetStaticMethodID");
  const Object* owner = cast(cls);
  record("GetStaticMethodID " + owner->text + " " + name + " " + signature);
  if (owner->text.rfind("java/", 0) == 0 ||
      std::strcmp(name, "main") != 0 || std::strcmp(signature, "([Ljava/lang/String;)V") != 0) {
    raise("java/lang/NoSuchMethodError", name);
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(new Method{owner});
}

jstring JNICALL newStringUTF(JNIEnv*, const char* bytes) {
  requireNoPending("NewStringUTF");
  record(std::string("NewStringUTF \"") + bytes + "\"");
  return ref<jstring>(newObject(Object::stringObject, bytes));
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  requireNoPending("NewObjectArray");
  record("NewObjectArray " + std::to_string(length) + " " + describe(cast(elementClass)) + " " +
         describe(cast(initial)));
  Object* array = newObject(Object::arrayObject, "[Ljava/lang/String;");
  array->elementClass = cast(elementClass);
  array->elements.assign(static_cast<std::size_t>(length), cast(initial));
  return ref<jobjectArray>(array);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
  requireNoPending("SetObjectArrayElement");
  record("SetObjectArrayElement " + std::to_string(index) + " " + describe(cast(value)));
  Object* target = cast(array);
  if (index < 0 || static_cast<std::size_t>(index) >= target->elements.size()) {
    raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
    return;
  }
  target->elements[static_cast<std::size_t>(index)] = cast(value);
}

void callMain(jclass cls, jmethodID method, jobject array) {
  requireNoPending("CallStaticVoidMethod");
  const Object* mainClass = cast(cls);
  record("CallStaticVoidMethod " + mainClass->text);
  if (reinterpret_cast<Method*>(method)->owner->text != mainClass->text)
    misuse("CallStaticVoidMethod with another class's method");
  playMain(mainClass, cast(array));
}

void JNICALL callStaticVoidMethod(JNIEnv*, jclass cls, jmethodID method, ...) {
  va_list arguments;
  va_start(arguments, method);
  jobject array = va_arg(arguments, jobject);
  va_end(arguments);
  callMain(cls, method, array);
}

// The C++ form of the JNI interface (env->CallStaticVoidMethod) calls this one.
void JNICALL callStaticVoidMethodV(JNIEnv*, jclass cls, jmethodID method, va_list arguments) {
  callMain(cls, method, va_arg(arguments, jobject));
}

jboolean JNICALL exceptionCheck(JNIEnv*) {
  requireEnv("ExceptionCheck");
  return pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

void JNICALL exceptionDescribe(JNIEnv*) {
  requireEnv("ExceptionDescribe");
  record(std::string("ExceptionDescribe ") + (pending ? pending->text : "none"));
  if (pending != nullptr) {
    std::string name = pending->text;
    for (char& c : name)
      if (c == '/')
        c = '.';
    std::fprintf(stderr, "Exception in thread \"main\" %s: %s\n", name.c_str(),
                 pending->message.c_str());
    std::fflush(stderr);
  }
  pending = nullptr;
}

void JNICALL exceptionClear(JNIEnv*) {
  record("ExceptionClear");
  pending = nullptr;
}

jint JNICALL throwNew(JNIEnv*, jclass cls, const char* message) {
  requireNoPending("ThrowNew");
  record("ThrowNew " + cast(cls)->text + " " + (message ? message : "(null)"));
  raise(cast(cls)->text.c_str(), message ? message : "");
  return 0;
}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

// As the real one: waits until the caller is the last non-daemon thread (a caller that is not
// attached counts as none). A second call, even while the first still waits, is misuse.
jint JNICALL destroyJavaVM(JavaVM*) {
  requireLiveVM("DestroyJavaVM");
  if (destroyCalls.fetch_add(1) != 0)
    misuse("DestroyJavaVM while another DestroyJavaVM is under way");
  const int self = isNonDaemon ? 1 : 0;
  while (nonDaemonThreads.load() > self)
    Sleep(10);
  record("DestroyJavaVM");
  vmDestroyed = true;
  return 0;
}

jint JNICALL detachCurrentThread(JavaVM*) {
  requireLiveVM("DetachCurrentThread");
  record("DetachCurrentThread");
  if (!attached)
    misuse("DetachCurrentThread on a thread that is not attached");
  if (pending != nullptr)
    misuse("DetachCurrentThread with an exception pending");
  endNonDaemon();
  attached = false;
  return JNI_OK;
}

// A thread that attaches itself is one of the VM's non-daemon threads until it detaches.
jint JNICALL attachCurrentThread(JavaVM*, void** penv, void* args) {
  requireLiveVM("AttachCurrentThread");
  const JavaVMAttachArgs* attach = static_cast<const JavaVMAttachArgs*>(args);
  record(std::string("AttachCurrentThread ") +
         (attach != nullptr && attach->name != nullptr ? attach->name : "(no name)"));
  if (!attached) {
    attached = true;
    beginNonDaemon();
  }
  *penv = theEnv();
  return JNI_OK;
}

// As the real one: a destroyed VM has no thread attached.
jint JNICALL getEnv(JavaVM*, void** penv, jint version) {
  if (version != JNI_VERSION_1_6)
    misuse("GetEnv for version " + std::to_string(version));
  const bool found = attached && !vmDestroyed;
  record(std::string("GetEnv ") + (found ? "attached" : "detached"));
  *penv = found ? theEnv() : nullptr;
  return found ? JNI_OK : JNI_EDETACHED;
}

// Every other slot: the bridge is not expected to use it.
template <std::size_t Slot> void JNICALL unexpectedFunction() {
  misuse("unexpected JNI function in slot " + std::to_string(Slot));
}

template <class Table, std::size_t... Slots>
void fillWithTraps(Table& table, std::index_sequence<Slots...>) {
  void* traps[] = {reinterpret_cast<void*>(&unexpectedFunction<Slots>)...};
  std::memcpy(&table, traps, sizeof traps);
}

JNINativeInterface_ nativeInterface;
JNIInvokeInterface_ invokeInterface;
JNIEnv_ env_;
JavaVM_ vm_;

JNIEnv* theEnv() {
  return &env_;
}

void makeTables() {
  static_assert(sizeof(JNINativeInterface_) % sizeof(void*) == 0, "a table of pointers");
  fillWithTraps(nativeInterface,
                std::make_index_sequence<sizeof(JNINativeInterface_) / sizeof(void*)>());
  fillWithTraps(invokeInterface,
                std::make_index_sequence<sizeof(JNIInvokeInterface_) / sizeof(void*)>());
  nativeInterface.FindClass = findClass;
  nativeInterface.GetStaticMethodID = getStaticMethodID;
  nativeInterface.NewStringUTF = newStringUTF;
  nativeInterface.NewObjectArray = newObjectArray;
  nativeInterface.SetObjectArrayElement = setObjectArrayElement;
  nativeInterface.CallStaticVoidMethod = callStaticVoidMethod;
  nativeInterface.CallStaticVoidMethodV = callStaticVoidMethodV;
  nativeInterface.ExceptionCheck = exceptionCheck;
  nativeInterface.ExceptionDescribe = exceptionDescribe;
  nativeInterface.ExceptionClear = exceptionClear;
  nativeInterface.ThrowNew = throwNew;
  nativeInterface.DeleteLocalRef = deleteLocalRef;
  invokeInterface.DestroyJavaVM = destroyJavaVM;
  invokeInterface.DetachCurrentThread = detachCurrentThread;
  invokeInterface.AttachCurrentThread = attachCurrentThread;
  invokeInterface.GetEnv = getEnv;
  env_.functions = &nativeInterface;
  vm_.functions = &invokeInterface;
}

char hexDigit(unsigned value) {
  return "0123456789abcdef"[value & 0xF];
}

std::string hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

// Records every WM_COMMAND that the VM's creating thread (the host's window thread) takes from
// its queue, as the window receives it: handle and both parameters.
LRESULT CALLBACK commandHook(int code, WPARAM removal, LPARAM data) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    const MSG* message = reinterpret_cast<const MSG*>(data);
    if (message->message == WM_COMMAND)
      record("WM_COMMAND hwnd=" + hex(reinterpret_cast<std::uintptr_t>(message->hwnd)) +
             " wParam=" + hex(message->wParam) +
             " lParam=" + hex(static_cast<unsigned long long>(message->lParam)));
  }
  return CallNextHookEx(nullptr, code, removal, data);
}

} // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  const JavaVMInitArgs* initArgs = static_cast<const JavaVMInitArgs*>(args);
  std::string version = "0x";
  for (int shift = 28; shift >= 0; shift -= 4)
    version += hexDigit(static_cast<unsigned>(initArgs->version) >> shift);
  record("JNI_CreateJavaVM version=" + version +
         " nOptions=" + std::to_string(initArgs->nOptions) +
         " ignoreUnrecognized=" + std::to_string(initArgs->ignoreUnrecognized));
  for (jint i = 0; i < initArgs->nOptions; ++i)
    record("option " + std::to_string(i) + " " +
           (initArgs->options[i].optionString ? initArgs->options[i].optionString : "(null)") +
           (initArgs->options[i].extraInfo ? " extraInfo" : ""));
  const int result = environmentNumber("JVMSTUB_CREATE_RESULT", 0);
  if (result < 0) {
    record("JNI_CreateJavaVM fails with " + std::to_string(result));
    return result;
  }
  makeTables();
  vmDestroyed = false;
  destroyCalls = 0;
  attached = true;
  beginNonDaemon(); // the creating thread is the VM's first non-daemon thread
  static HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, commandHook, nullptr, GetCurrentThreadId());
  if (hook == nullptr)
    misuse("cannot watch the creating thread's messages");
  *pvm = &vm_;
  *penv = &env_;
  return result;
}
