// The parts of the test-only jvm.dll that its JNI functions and its scripted classes share: the
// record of calls, the objects it hands out, the pending exception and the VM's threads.
#ifndef JVMSTUB_HPP
#define JVMSTUB_HPP

#include <jni.h>

#include <windows.h>

#include <string>
#include <vector>

namespace jvmstub {

// Appends line to the file that JVMSTUB_LOG names (nothing without one).
void record(const std::string& line);
// A use of the VM that the real runtime would punish: recorded and told, then status 70.
[[noreturn]] void misuse(const std::string& what);
// The environment variable name as a number; otherwise when it is not set.
int environmentNumber(const char* name, int otherwise);

// Every reference the stand-in hands out points to one of these; none is ever freed (a test
// process is short).
struct Object {
  enum Kind { classObject, stringObject, arrayObject, throwableObject } kind;
  std::string text;              // class name, string contents, or throwable class name
  std::string message;           // throwable message
  std::vector<Object*> elements; // array elements
  const Object* elementClass = nullptr;
};

Object* newObject(Object::Kind kind, const std::string& text);
Object* cast(void* reference);
template <class Reference> Reference ref(Object* object) {
  return reinterpret_cast<Reference>(object);
}
// A string in quotes, anything else by its class name in angle brackets, or null.
std::string describe(const Object* object);

// A Java exception pending on the calling thread.
extern thread_local Object* pending;
// Makes a new throwable of className with message the calling thread's pending exception.
void raise(const char* className, const std::string& message);

// Whether the calling thread is attached to the VM, as GetEnv tells: the creating thread until
// it detaches, a thread that attaches itself until it detaches, and the scripted application's
// threads, which are Java threads. A JNIEnv belongs to its thread alone.
extern thread_local bool attached;
// A thread of the application: it counts from before it starts, so that DestroyJavaVM cannot
// miss it; the thread marks itself (adoptNonDaemon) as it begins, and leaves the count with
// endNonDaemon.
void startApplicationThread(LPTHREAD_START_ROUTINE body, void* parameter);
void adoptNonDaemon();
void endNonDaemon();

// The one JNIEnv of the VM (its functions check the calling thread).
JNIEnv* theEnv();

// The scripted classes (jvmstub_classes.cpp): whether FindClass knows name, and main's play.
bool knownClass(const std::string& name);
void playMain(const Object* mainClass, const Object* arguments);

} // namespace jvmstub

#endif
