// Windows hook of the string buffers: the ANSI code page's lead bytes.
#include "ibuffer.hpp"

#include <windows.h>


// UTF-8, the code page of a program whose manifest asks for it, has no lead bytes here: its
// strings are single-byte ones, which suits it, as no byte of a multi-byte character is an ASCII
// one and a search for whole characters only finds whole characters.
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
