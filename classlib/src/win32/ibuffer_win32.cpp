// Windows hooks of the string buffers: the ANSI code page's lead bytes and the environment.
#include "ibuffer.hpp"

#include <windows.h>

#include <vector>

bool IBufferPlatformLeadBytes(bool (&leadBytes)[256]) noexcept {
  CPINFO info;
  if (!GetCPInfo(CP_ACP, &info)) {
    return false;
  }
  // LeadByte holds ranges as pairs of bytes, ended by a pair of zeros.
  bool any = false;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (unsigned c = info.LeadByte[i]; c <= info.LeadByte[i + 1] && c < 256; ++c) {
      leadBytes[c] = true;
      any = true;
    }
  }
  return any;
}

bool IBufferPlatformVariable(const char* name, std::string& value) {
  // The process environment itself, not the C runtime's copy taken at start-up.
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableA(name, buffer.data(), DWORD(buffer.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return false;
      }
      value.clear();
      return true;
    }
    if (n < buffer.size()) {
      value.assign(buffer.data(), n);
      return true;
    }
    buffer.resize(n);
  }
}
