// The registry file's decoders, shared by its parser: the file's text encoding, quoted names
// and texts with their escapes, and the data of dword:, hex: and hex(N): values. Each works on
// one piece of a line; reading lines and sections is the parser's.
#ifndef IREGISTRYDECODE_HPP
#define IREGISTRYDECODE_HPP

#include <cstddef>
#include <string>
#include <string_view>

namespace IRegistryDecode {

bool isBlank(char c);
// Without the blanks and tabs at either end.
std::string_view trimmed(std::string_view s);
// What may follow a complete value on its line: nothing, or a comment.
bool endsTheValue(std::string_view rest);
// The value of a hex digit of either case, -1 for another character.
int hexDigit(char c);

// UTF-16LE to the narrow (UTF-8) form, as a narrow-character registry read converts string
// data, appended to out; an unpaired surrogate becomes U+FFFD, a trailing odd byte is dropped.
void appendNarrow(std::string& out, const char* bytes, std::size_t size);

// The file's text in UTF-8, from UTF-8 with or without a byte order mark, or UTF-16LE.
std::string decodedText(std::string bytes);

// A quoted name or text from position at (on the opening quote), appended to out; \\ and \"
// are the escapes, any other backslash stands for itself. Returns the position after the
// closing quote, or npos when the quote is not closed.
std::size_t appendQuoted(std::string_view line, std::size_t at, std::string& out);

// The decoders of value data: each appends what it decoded to out and returns null, or returns
// what is wrong (a problem text) and sets detail to the part of the data it is about. A fault
// may leave part of the data appended: the caller takes back what it stored for the value.

// What follows "dword:": up to eight hex digits, as four bytes, least significant first.
const char* appendDword(std::string_view data, std::string& out, std::string_view& detail);
// The type that "hex:" (binary) or "hex(TYPE):" gives its bytes, from that head, colon
// included: TYPE is one to eight hex digits.
const char* hexType(std::string_view head, unsigned long& type, std::string_view& detail);
// Comma-separated bytes of one or two hex digits ("41,42, 00"); a trailing comma is allowed.
const char* appendBytes(std::string_view text, std::string& out, std::string_view& detail);

// Whether a value of the type holds text, which a narrow read converts from UTF-16.
bool isStringType(unsigned long type);

} // namespace IRegistryDecode

#endif
