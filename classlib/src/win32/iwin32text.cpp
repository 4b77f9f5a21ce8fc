// Conversions between the ANSI code page and UTF-16, and the environment read through them.
#include "win32/iwin32text.hpp"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace IWin32Text {

namespace {

// The conversion calls count in int; no text that the library hands to Windows comes near that
// (a longer one is cut).
int countOf(std::size_t length) { return static_cast<int>(std::min<std::size_t>(length, INT_MAX)); }

} // namespace

WideText wide(const char* text, std::size_t length) {
  int count = countOf(length);
  int n = count > 0 ? MultiByteToWideChar(CP_ACP, 0, text, count, nullptr, 0) : 0;
  WideText out(static_cast<std::size_t>(n > 0 ? n : 0));
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text, count, out.data(), n);
  return out;
}

WideText wide(const char* text) { return text != nullptr ? wide(text, std::strlen(text)) : WideText(); }

std::string narrow(const wchar_t* text, std::size_t length) {
  int count = countOf(length);
  int n = count > 0 ? WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr) : 0;
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text, count, &out[0], n, nullptr, nullptr);
  return out;
}

bool environmentVariable(const char* name, std::string& value) {
  const WideText wideName = wide(name);
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
      return false;
    if (n < buffer.size()) { // n is the length; 0 for an empty value
      value = narrow(buffer.data(), n);
      return true;
    }
    buffer.resize(n); // n is the size the value needs, terminator included
  }
}

} // namespace IWin32Text
