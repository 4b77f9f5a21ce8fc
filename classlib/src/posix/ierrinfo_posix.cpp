// POSIX text of a platform error code: the C library's message for the errno value.
#include "ierrinfo.hpp"

#include <string.h>

IString ISystemErrorInfo::platformText(unsigned long errorCode) {
  if (errorCode == 0)
    return IString();
  char buffer[256] = {0};
  // The GNU strerror_r may return a static text instead of filling the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  const char* text = strerror_r(static_cast<int>(errorCode), buffer, sizeof buffer);
  return IString(text);
#else
  if (strerror_r(static_cast<int>(errorCode), buffer, sizeof buffer) != 0)
    return IString();
  return IString(buffer);
#endif
}
