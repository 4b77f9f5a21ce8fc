// Win32 text of a platform error code: FormatMessageA from the system in its default language.
#include "ierrinfo.hpp"

#include <windows.h>

IString ISystemErrorInfo::platformText(unsigned long errorCode) {
  char buffer[255] = {0};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                errorCode, GetSystemDefaultLangID(), buffer, sizeof buffer, nullptr);
  if (length == 0)
    return IString();
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
    buffer[--length] = '\0';
  return IString(buffer, length);
}
