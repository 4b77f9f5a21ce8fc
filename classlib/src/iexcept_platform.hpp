// Private hooks between the portable exception code and its platform backends.
#ifndef IEXCEPT_PLATFORM_HPP
#define IEXCEPT_PLATFORM_HPP

#include <cstddef>
#include <string>

namespace iexc {

// Size of the text a catalog message may have, its terminator included.
constexpr std::size_t catalogTextSize = 2048;
// Size of the buffer for a platform error message, its terminator included.
constexpr std::size_t systemTextSize = 255;
// A catalog message takes at most this many insert texts.
constexpr unsigned long maxInserts = 9;

extern const char* const catalogFallbackText; // "Unable to load text from message file."
extern const char* const noErrorText;         // "No error text is available."

// --- provided by each backend -----------------------------------------------------------

unsigned long lastErrorCode() noexcept;
void setLastErrorCode(unsigned long code) noexcept;

// The value of an environment variable; false when it is not set (an empty value is set).


// The platform's message text for an error code, without a trailing line end; false when
// there is none.
bool systemMessageText(unsigned long code, char* buffer, std::size_t size) noexcept;

// Message id of the catalog named catalogName (an empty name is the program's own module),
// with the nine inserts (every entry non-null; unused ones are empty texts), without a
// trailing line end. The result fits catalogTextSize; false when the catalog or the message
// is missing or the message does not fit.
bool catalogMessage(const char* catalogName, unsigned long id, const char* const inserts[maxInserts],
                    char* buffer, std::size_t size) noexcept;

// --- portable ----------------------------------------------------------------------------

// The catalog named by "TAVRO MSGFILE", else "KORBMSGS.MSG"; decided at the first call.
const char* catalogName();

// catalogMessage for a caller's insert list (taken up to the first null, at most nine),
// writing the fallback text when there is no message. buffer must hold catalogTextSize.
bool catalogTextFrom(const char* catalogName, unsigned long id, const char* const* inserts,
                     unsigned long insertCount, char* buffer, std::size_t size) noexcept;

// Removes trailing carriage returns and line feeds.
void trimLineEnd(char* text) noexcept;

} // namespace iexc

#endif
