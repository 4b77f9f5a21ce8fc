// Text between the class library and the wide Win32 calls: the one place where the library's
// strings, in the process's ANSI code page, are turned into UTF-16 and back.
#ifndef IWIN32TEXT_HPP
#define IWIN32TEXT_HPP

#include <cstddef>
#include <string>
#include <vector>

// A program whose manifest asks for it (quillet's does) has UTF-8 as its ANSI code page, on
// Windows 10 1903 and later and under Wine, so that names in any script pass through the ANSI
// calls. Nearly all of them convert by that code page; the few that do not take their text in
// UTF-16 from here instead:
//  - Wine's GetEnvironmentVariableA counts the value in UTF-16 units, so it cuts a value with
//    multi-byte characters short and answers a wrong length;
//  - GDI's ANSI text calls read the bytes by the code page of the font's character set (1252
//    for a Western font), not by the process's.
// Where the manifest is not honoured the ANSI code page is the system's, and these conversions
// give what the ANSI calls would.
namespace IWin32Text {

// UTF-16 text for the wide calls: its units, then a terminator. Not std::wstring: a static
// MinGW program links the C++ library's wide-string instantiation as a whole (its unwind tables
// keep every member from being dropped), some 35 KB of x86 code for the few members used here.
class WideText {
public:
  explicit WideText(std::size_t length = 0) : units_(length + 1, L'\0') {}
  // The units, terminated; an embedded zero is one of them.
  const wchar_t* c_str() const { return units_.data(); }
  wchar_t* data() { return units_.data(); }
  // The number of units, the terminator not counted.
  std::size_t size() const { return units_.size() - 1; }

private:
  std::vector<wchar_t> units_;
};

// length bytes of ANSI text as UTF-16, embedded zero bytes included. Bytes that form no
// character become U+FFFD, as in the ANSI calls.
WideText wide(const char* text, std::size_t length);
// A zero-terminated ANSI text (null: an empty one) as UTF-16.
WideText wide(const char* text);
// length UTF-16 units as ANSI text. A character that the code page lacks becomes '?'.
std::string narrow(const wchar_t* text, std::size_t length);

// The process's environment variable name (not the C runtime's copy of the environment, taken
// at start-up); false when it is not set. An empty value is set.
bool environmentVariable(const char* name, std::string& value);

} // namespace IWin32Text

#endif
