// POSIX hook of the string buffers: code-page lead bytes.
#include "ibuffer.hpp"

// POSIX has no code page with lead bytes: a multibyte locale (UTF-8, EUC) is not a lead-byte
// table, and strings stay byte strings there. Only "IDBCSTABLE" can make them double-byte aware.
bool IBufferPlatformLeadBytes(bool (&)[256]) noexcept { return false; }
