// Running the static main of a Java class with an argument string cut into its String[].
#include <cstddef>
#include <vector>

#include "istring.hpp"
#include "lanyard.hpp"
#include "lanyardstate.hpp"
#include "messages.hpp"

namespace {

using namespace lanyard;

const char* const mainName = "main";
const char* const mainSignature = "([Ljava/lang/String;)V";
const char* const stringClassName = "java/lang/String";

// The texts of one variant's fatal paths.
struct Failures {
  const char* title;
  const char* lineEnd;
  const char* noClassBox;  // + class name for CallJavaCode
  bool noClassBoxNamesClass;
  const char* noMainBox;
  const char* noMainOutput;
};

// Neither run may touch a VM that does not exist (never created, or destroyed), or that this
// thread has no environment for: env is the thread's, or null.
void requireVM(JNIEnv* env, const Failures& failures, const IString& className) {
  if (env == nullptr)
    endProcess(failures.title, text::noVMBox,
               IString(text::noVMOutput) + className + failures.lineEnd, false);
}

// The class, or null (with the runtime's exception pending) when it cannot be found. An empty
// name names no class and is not handed to the runtime.
jclass findClass(JNIEnv* env, const IString& className) {
  return className.isEmpty() ? nullptr : env->FindClass(className);
}

// A String[] of the elements in order, a null element pointer giving a null element; or null,
// with the runtime's exception pending, when the runtime could not make it. Element strings
// are handed over byte for byte.
jobjectArray newStringArray(JNIEnv* env, const std::vector<const char*>& elements) {
  jclass stringClass = env->FindClass(stringClassName);
  if (stringClass == nullptr)
    return nullptr;
  jstring first = nullptr;
  if (elements[0] != nullptr && (first = env->NewStringUTF(elements[0])) == nullptr) {
    env->DeleteLocalRef(stringClass);
    return nullptr;
  }
  // Every element starts as the first one; the others are then stored one by one.
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(elements.size()), stringClass, first);
  env->DeleteLocalRef(first);
  env->DeleteLocalRef(stringClass);
  if (array == nullptr)
    return nullptr;
  for (std::size_t k = 1; k < elements.size(); ++k) {
    jstring element = env->NewStringUTF(elements[k]);
    if (element == nullptr) {
      env->DeleteLocalRef(array);
      return nullptr;
    }
    env->SetObjectArrayElement(array, static_cast<jsize>(k), element);
    env->DeleteLocalRef(element);
    // Local references are released as they go, so that any number of fields fits the
    // thread's local frame; and each store is checked before the next call.
    if (env->ExceptionCheck()) {
      env->DeleteLocalRef(array);
      return nullptr;
    }
  }
  return array;
}

// Both variants: find the class and main (fatal when missing), build the array, run main on
// this thread. A Java exception from building the array or from main stays pending for
// DestroyJVM (or the next run) to describe, on a thread that was attached before the call.
std::int32_t runMain(const Failures& failures, const IString& className,
                     const IString& noClassOutput, const std::vector<const char*>& elements) {
  const ThreadEnv thread;
  JNIEnv* env = thread.get();
  requireVM(env, failures, className);
  // A Java exception that an earlier main let escape is still pending on this thread, and JNI
  // calls other than the exception functions are not allowed until it is cleared: describe it
  // now (as DestroyJVM would have) and go on.
  describePendingException(env);

  jclass mainClass = findClass(env, className);
  if (mainClass == nullptr) {
    const IString box = failures.noClassBoxNamesClass
                            ? IString(failures.noClassBox) + className
                            : IString(failures.noClassBox);
    endProcess(failures.title, box, noClassOutput);
  }
  jmethodID mainMethod = env->GetStaticMethodID(mainClass, mainName, mainSignature);
  if (mainMethod == nullptr)
    endProcess(failures.title, failures.noMainBox, failures.noMainOutput);

  jobjectArray array = newStringArray(env, elements);
  if (array != nullptr) {
    env->CallStaticVoidMethod(mainClass, mainMethod, array);
    env->DeleteLocalRef(array);
  }
  env->DeleteLocalRef(mainClass);
  return 1;
}

const Failures callJavaCodeMPFailures = {text::runMPTitle, "\n", text::runMPNoClassBox, false,
                                         text::runMPNoMainBox, text::runMPNoMainOutput};
const Failures callJavaCodeFailures = {text::runTitle, "", text::runNoClassBox, true,
                                       text::runNoMainBox, text::runNoMainOutput};

} // namespace

std::int32_t LANYARD_STDCALL CallJavaCodeMP(const char* className, const char* arguments) {
  return guardBoundary("CallJavaCodeMP", [&] {
    const IString name(className);
    // One element per comma-separated field: nothing trimmed, quoted or escaped; a null
    // argument string counts as the empty one, which gives one empty element.
    const std::vector<IString> fields = IString(arguments).fields(",");
    std::vector<const char*> elements;
    elements.reserve(fields.size());
    for (const IString& field : fields)
      elements.push_back(field.c_str());
    return runMain(callJavaCodeMPFailures, name,
                   IString(text::runMPNoClassOutput) + name + "\n", elements);
  });
}

std::int32_t LANYARD_STDCALL CallJavaCode(const IString& className, const IString& arguments) {
  return guardBoundary("CallJavaCode", [&] {
    // The caller's strings may come from another copy of the class library: only their
    // characters are read, never their buffers shared.
    const IString name(className.c_str());
    const IString whole(arguments.c_str());
    // The whole string is the one element; an empty one gives a null element.
    const std::vector<const char*> elements{whole.isEmpty() ? nullptr : whole.c_str()};
    return runMain(callJavaCodeFailures, name, IString(text::runNoClassOutput) + name + whole,
                   elements);
  });
}
