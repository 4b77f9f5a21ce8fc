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

#include "jvmstub.hpp"

namespace jvmstub {

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

void misuse(const std::string& what) {
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


Object* newObject(Object::Kind kind, const std::string& text) {
  Object* object = new Object;
  object->kind = kind;
  object->text = text;
  return object;
}

Object* cast(void* reference) {
  return static_cast<Object*>(reference);
}

std::string describe(const Object* object) {
  if (object == nullptr)
    return "null";
  if (object->kind == Object::stringObject)
    return "\"" + object->text + "\"";
  return "<" + object->text + ">";
}

thread_local Object* pending = nullptr;

void raise(const char* className, const std::string& message) {
  Object* throwable = newObject(Object::throwableObject, className);
  throwable->message = message;
  pending = throwable;
}

std::atomic<bool> vmDestroyed{false};
// DestroyJavaVM calls made since the VM was created; the VM allows exactly one.
std::atomic<int> destroyCalls{0};

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

} // namespace jvmstub

namespace {

using namespace jvmstub;

struct Method {
  const Object* owner;
};

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

} // namespace

JNIEnv* jvmstub::theEnv() {
  return &env_;
}

namespace {

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
