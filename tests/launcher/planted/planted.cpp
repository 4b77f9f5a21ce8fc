// What an attacker leaves where quillet's user works, under the names of the runtime library
// and of the bridge: once the loader maps it, its initialiser notes the file it was loaded from
// in the file that PLANTED_LOG names, before anything of it can be called. Its entry points note
// their calls and fail. The tests look for the note: quillet must never load this.
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#define PLANTED_EXPORT extern "C" __declspec(dllexport)
#define PLANTED_JNICALL __stdcall
#else
#include <dlfcn.h>
#define PLANTED_EXPORT extern "C" __attribute__((visibility("default")))
#define PLANTED_JNICALL
#endif

namespace {

void note(const char* what, const char* detail) {
  const char* path = std::getenv("PLANTED_LOG");
  if (path == nullptr || *path == '\0')
    return;
  if (FILE* log = std::fopen(path, "ab")) {
    std::fprintf(log, "%s %s\n", what, detail);
    std::fclose(log);
  }
}

#if !defined(_WIN32)
__attribute__((constructor)) void loaded() {
  Dl_info info;
  note("loaded", ::dladdr(reinterpret_cast<void*>(&note), &info) && info.dli_fname ? info.dli_fname : "?");
}
#endif

} // namespace

#if defined(_WIN32)
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char file[MAX_PATH] = "?";
    GetModuleFileNameA(self, file, sizeof file);
    note("loaded", file);
  }
  return TRUE;
}
#endif

// As the runtime: what the bridge imports from it.
PLANTED_EXPORT int PLANTED_JNICALL JNI_CreateJavaVM(void**, void**, void*) {
  note("called", "JNI_CreateJavaVM");
  return -1;
}

// As the bridge: what quillet binds first.
PLANTED_EXPORT void DymInitializeJVM(const char*) { note("called", "DymInitializeJVM"); }
