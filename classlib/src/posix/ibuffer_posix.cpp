// POSIX hooks of the string buffers: code-page lead bytes and the environment.
#include "ibuffer.hpp"

#include "isystem.hpp"

// POSIX has no code page with lead bytes: a multibyte locale (UTF-8, EUC) is not a lead-byte
// table, and strings stay byte strings there. Only "IDBCSTABLE" can make them double-byte aware.
bool IBufferPlatformLeadBytes(bool (&)[256]) noexcept { return false; }

bool IBufferPlatformVariable(const char* name, std::string& value) {
  return ISystem::environmentValue(name, value);
}
