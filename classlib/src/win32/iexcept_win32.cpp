// Win32 backend of the exceptions: GetLastError, system message texts and the message-table catalog.
#include "iexcept_platform.hpp"

#include <windows.h>


#include <cstdio>
#include <cstring>
#include <string>

namespace iexc {

unsigned long lastErrorCode() noexcept { return GetLastError(); }

void setLastErrorCode(unsigned long code) noexcept { SetLastError(static_cast<DWORD>(code)); }

bool systemMessageText(unsigned long code, char* buffer, std::size_t size) noexcept {
  // Inserts are ignored: a system message such as "%1 is not a valid Win32 application."
  // would otherwise make FormatMessageA read arguments that nobody passed.
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(code), GetSystemDefaultLangID(), buffer,
                           static_cast<DWORD>(size), nullptr);
  if (n == 0)
    return false;
  trimLineEnd(buffer);
  return true;
}

bool catalogMessage(const char* catalogName, unsigned long id, const char* const inserts[maxInserts],
                    char* buffer, std::size_t size) noexcept {
  // The catalog is named by an environment variable, so it is mapped as data only: its code
  // (DllMain included) must never run just to read messages.
  HMODULE module = nullptr;
  if (*catalogName) {
    module = LoadLibraryExA(catalogName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
      return false;
  }
  // FormatMessageA takes no count of the arguments: a message may name any insert up to %99,
  // so every one of them reads as an empty text unless the caller gave it.
  DWORD_PTR args[99];
  for (unsigned long i = 0; i < 99; ++i)
    args[i] = reinterpret_cast<DWORD_PTR>(i < maxInserts ? inserts[i] : "");
  DWORD bufferSize = static_cast<DWORD>(size < catalogTextSize ? size : catalogTextSize);
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module,
                           static_cast<DWORD>(id), 0, buffer, bufferSize,
                           reinterpret_cast<va_list*>(args));
  DWORD error = GetLastError();
  if (module)
    FreeLibrary(module);
  SetLastError(error);
  if (n == 0)
    return false;
  trimLineEnd(buffer);
  return true;
}

} // namespace iexc
