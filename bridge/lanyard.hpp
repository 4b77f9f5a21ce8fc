// The entry points that lanyard exports, with their linkages, for callers that bind them by name.
#ifndef LANYARD_HPP
#define LANYARD_HPP

#include <cstdint>

class IString;
class IWindow;

// The plain family uses the Windows standard-call linkage; elsewhere there is only one.
#if defined(_WIN32)
#define LANYARD_STDCALL __stdcall
#else
#define LANYARD_STDCALL
#endif

#if defined(LANYARD_BUILDING)
#if defined(_WIN32)
#define LANYARD_EXPORT __declspec(dllexport)
#else
#define LANYARD_EXPORT __attribute__((visibility("default")))
#endif
#else
#define LANYARD_EXPORT
#endif

extern "C" {
// The launcher's family: the default linkage of the toolchain that builds both sides.
// Registers the window that receives the return-code event (null: none); returns window.
LANYARD_EXPORT IWindow* DymSetRTNPtr(IWindow* window);
LANYARD_EXPORT void DymInitializeJVM(const char* toolName);
// Runs className's main with the one argument "0".
LANYARD_EXPORT void DymCallJavaCode(const char* className);
// Runs className's main as CallJavaCodeMP does; then the application ends as under java: an
// exception that main let escape is described, and once main has returned and no non-daemon
// thread of the application is left, the process ends (status 1 after an exception, else 0).
// The calling thread is no longer attached to the VM on return; the other entry points attach
// it again for their own calls.
LANYARD_EXPORT std::int32_t DymCallJavaCodeMP(const char* className, const char* arguments);

// The plain family. Each answers as documented or ends the process with exit code 1.
LANYARD_EXPORT std::int32_t LANYARD_STDCALL InitializeJVM(const char* toolName); // 0
LANYARD_EXPORT std::int32_t LANYARD_STDCALL CallJavaCode(const IString& className,
                                                         const IString& arguments); // 1
LANYARD_EXPORT std::int32_t LANYARD_STDCALL CallJavaCodeMP(const char* className,
                                                           const char* arguments); // 1
// The runtime's answer to destroying the VM; -1 (JNI_ERR) when there is no VM for this call to
// destroy: none was created, it was destroyed, or DymCallJavaCodeMP handed it to the
// application's end, which destroys it (the VM is destroyed once, whoever asks).
LANYARD_EXPORT std::int32_t LANYARD_STDCALL DestroyJVM();
}

// Types of the entry points for binding them at run time.
typedef IWindow* (*DymSetRTNPtrFunction)(IWindow*);
typedef void (*DymInitializeJVMFunction)(const char*);
typedef void (*DymCallJavaCodeFunction)(const char*);
typedef std::int32_t (*DymCallJavaCodeMPFunction)(const char*, const char*);
typedef std::int32_t(LANYARD_STDCALL* InitializeJVMFunction)(const char*);
typedef std::int32_t(LANYARD_STDCALL* CallJavaCodeFunction)(const IString&, const IString&);
typedef std::int32_t(LANYARD_STDCALL* CallJavaCodeMPFunction)(const char*, const char*);
typedef std::int32_t(LANYARD_STDCALL* DestroyJVMFunction)();

#endif
