// IDynamicLinkLibrary on Windows: LoadLibraryA, FreeLibrary, GetProcAddress, GetModuleFileNameA.
#include "idynlib_platform.hpp"

#include <vector>

#include <windows.h>

namespace {

// The loader looks in the current directory before PATH, and everything the process loads
// afterwards by name (its imports included) follows the same order: a DLL placed where the
// user happens to be would run inside the program. A DLL directory takes the current
// directory's place in the search for the whole process and leaves the rest (the program's
// directory, the system directories, PATH) as it was. It is the program's own directory, which
// leads the search anyway: the documented empty one does the same on Windows, but Wine takes
// an empty one for none and keeps the current directory.
void leaveCurrentDirectoryOutOfSearch() {
  static const bool done = [] {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD n;
    for (;;) {
      n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0)
        return ::SetDllDirectoryW(L"") != FALSE;
      if (n < path.size())
        break;
      path.resize(path.size() * 2);
    }
    // The directory ends before the last separator (no separator: none).
    std::size_t length = n;
    while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/')
      --length;
    length = length > 0 ? length - 1 : 0;
    // A program in a drive's root keeps its separator: "C:" alone names the current folder there.
    if (length > 0 && path[length - 1] == L':')
      ++length;
    path[length] = L'\0';
    return ::SetDllDirectoryW(path.data()) != FALSE;
  }();
  (void)done;
}

} // namespace

namespace idynlib_platform {

IDLLModule::Handle load(const char* name) {
  leaveCurrentDirectoryOutOfSearch();
  // A missing floppy or CD must fail the load, not stop the program with a system dialog.
  UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  HMODULE module = ::LoadLibraryA(name);
  DWORD error = ::GetLastError();
  ::SetErrorMode(oldMode);
  ::SetLastError(module ? ERROR_SUCCESS : error);
  return module;
}

bool release(IDLLModule::Handle handle) {
  return ::FreeLibrary(static_cast<HMODULE>(handle)) != FALSE;
}

bool reportsFailedRelease() {
  // The consumer line (high bit of GetVersion set) from 4.10 on does not report a failed
  // release.
  DWORD version = ::GetVersion();
  bool consumer = (version & 0x80000000u) != 0;
  unsigned major = LOBYTE(LOWORD(version));
  unsigned minor = HIBYTE(LOWORD(version));
  return !(consumer && (major > 4 || (major == 4 && minor >= 10)));
}

namespace {

HMODULE moduleOrProgram(IDLLModule::Handle handle) {
  return handle ? static_cast<HMODULE>(handle) : ::GetModuleHandleA(nullptr);
}

IDynamicLinkLibrary::ProcAddress toProc(FARPROC address) {
  return reinterpret_cast<IDynamicLinkLibrary::ProcAddress>(address);
}

} // namespace

IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle handle, const char* name) {
  return toProc(::GetProcAddress(moduleOrProgram(handle), name));
}

IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle handle, unsigned short ordinal) {
  return toProc(::GetProcAddress(moduleOrProgram(handle), MAKEINTRESOURCEA(ordinal)));
}

bool fileName(IDLLModule::Handle handle, IString& path) {
  // 512 bytes hold every ordinary path; a longer one is read whole instead of cut off (before
  // Vista a cut-off name is not even terminated).
  std::vector<char> buffer(512);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(handle), buffer.data(),
                                   static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return false;
    if (n < buffer.size()) {
      path = IString(buffer.data(), n);
      return true;
    }
    if (buffer.size() >= 32768) {
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool fileNameOf(IDynamicLinkLibrary::ProcAddress address, IString& path) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(address), &module))
    return false;
  return fileName(module, path);
}

} // namespace idynlib_platform
