// Creating the process's Java VM for a named tool of the product family.
#include <cstring>
#include <string>

#include "idynlib.hpp"
#include "ienviron.hpp"
#include "ipathlist.hpp"
#include "istring.hpp"
#include "lanyard.hpp"
#include "lanyardstate.hpp"
#include "messages.hpp"

namespace {

struct ToolRow {
  const char* toolName;
  const char* classPathOption;
  const char* heapOption;
};

// Looked up in this order; the option texts are the product's and stay exactly as written
// (trailing semicolons, mixed-case jar names, and Tamsel's single option that holds a blank).
const ToolRow toolTable[] = {
    {"Tamsel", "-Djava.class.path=.;dorn.tamsel.jar", "-Xgcpolicy:gencon -Xms100M"},
    {"Korvid", "-Djava.class.path=.;dorn.korvidplan.jar", "-Xms100M"},
    {"Brennick", "-Djava.class.path=.;dorn.Brennick.JAR", "-Xms100M"},
    {"Lusk", "-Djava.class.path=.;dorn.stability.JAR", "-Xms100M"},
    {"QUILLET", "-Djava.class.path=.;DORN.QUILLET.JAR", "-Xms100M"},
    {"Ferrow", "-Djava.class.path=.;dorn.Ferrow.jar;", "-Xms100M"},
    {"Wendal", "-Djava.class.path=.;dorn.Wendal.jar;", "-Xms100M"},
    {"DornFe", "-Djava.class.path=.;dorn.fe.jar;", "-Xms100M"},
    {"TestJNI", "-Djava.class.path=.;", "-Xms100M"},
    {"Debug", "-Djava.class.path=.;dorn.debug.jar", "-Xms100M"},
};

// A tool that no row names gets the one entry that every row's class path shares.
const char* const unknownToolClassPathOption = "-Djava.class.path=.";
const char* const defaultHeapOption = "-Xms100M";
const char classPathKey[] = "-Djava.class.path=";

// Names are compared byte for byte over their whole length: case counts, and neither a prefix
// nor an extension of a key matches. The first matching row wins.
const ToolRow* findTool(const char* toolName) {
  if (toolName == nullptr)
    return nullptr;
  for (const ToolRow& row : toolTable)
    if (std::strcmp(row.toolName, toolName) == 0)
      return &row;
  return nullptr;
}

// The class-path option in this platform's form (the product files write it for Windows).
IString platformClassPathOption(const char* option) {
  const std::size_t keyLength = sizeof classPathKey - 1;
  return IString(classPathKey) + IPathList::fromWindows(option + keyLength);
}

// The directory of the library that holds code, wherever its caller found it; empty when it
// cannot be told.
IString directoryOf(IDynamicLinkLibrary::ProcAddress code) {
  const std::string file = IDynamicLinkLibrary::fileNameOf(code).c_str();
  const std::size_t separator = file.rfind(IEnvironment::directorySeparator());
  return separator != std::string::npos && separator > 0
             ? IString(file.c_str(), separator)
             : IString();
}

} // namespace

using namespace lanyard;

std::int32_t LANYARD_STDCALL InitializeJVM(const char* toolName) {
  return guardBoundary("InitializeJVM", [&]() -> std::int32_t {
    const ToolRow* row = findTool(toolName);
    const IString classPathOption =
        platformClassPathOption(row ? row->classPathOption : unknownToolClassPathOption);
    const IString heapOption(row ? row->heapOption : defaultHeapOption);

    // The runtime derives its native library path from the environment when it is created:
    // it must already lead to this library for CReturn's System.loadLibrary to find it.
    // This library's folder for CReturn's System.loadLibrary, and the folder of the runtime
    // library that this one was bound to when it was loaded.
    IPathList::mirrorLibrarySearch(
        {directoryOf(reinterpret_cast<IDynamicLinkLibrary::ProcAddress>(&InitializeJVM)),
         directoryOf(reinterpret_cast<IDynamicLinkLibrary::ProcAddress>(&JNI_CreateJavaVM))});

    JavaVMOption options[2];
    options[0].optionString = const_cast<char*>(classPathOption.c_str());
    options[0].extraInfo = nullptr;
    options[1].optionString = const_cast<char*>(heapOption.c_str());
    options[1].extraInfo = nullptr;
    JavaVMInitArgs arguments;
    arguments.version = JNI_VERSION_1_6;
    arguments.nOptions = 2;
    arguments.options = options;
    arguments.ignoreUnrecognized = JNI_TRUE;

    // The creating thread's environment is not kept: each call asks for its own thread's.
    JavaVM* created = nullptr;
    JNIEnv* creatorEnv = nullptr;
    const jint result =
        JNI_CreateJavaVM(&created, reinterpret_cast<void**>(&creatorEnv), &arguments);
    // A failed creation leaves no VM of its own to destroy; and a VM made by an earlier call
    // would make destroying wait for its threads instead of ending the process.
    if (result < 0)
      endProcess(text::createFailureTitle, text::createFailureBox, text::createFailureOutput,
                 false);
    jvm = created;
    vmState.store(VMState::running);
    return 0;
  });
}
