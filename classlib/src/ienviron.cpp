// IEnvironment's portable part: IString forms of the buffer-filling backend operations.
#include "ienviron.hpp"

#include <vector>

namespace {

// Calls fill(buffer, size) until the text fits, as the value may grow between two calls.
template <typename Fill>
IString fetch(Fill fill) {
  char small[260];
  unsigned long n = fill(small, sizeof small);
  if (n < sizeof small)
    return IString(small, n);
  std::vector<char> big;
  while (n >= big.size()) {
    if (n == 0)
      return IString();
    big.resize(n);
    n = fill(big.data(), static_cast<unsigned long>(big.size()));
  }
  return IString(big.data(), n);
}

} // namespace

IString IEnvironment::variable(const char* name, bool* isSetOut) {
  IString value = fetch([name](char* b, unsigned long s) { return variable(name, b, s); });
  if (isSetOut)
    *isSetOut = !value.isEmpty() || isSet(name);
  return value;
}

IString IEnvironment::currentDirectory() {
  return fetch([](char* b, unsigned long s) { return currentDirectory(b, s); });
}

IString IEnvironment::programPath() {
  return fetch([](char* b, unsigned long s) { return programPath(b, s); });
}

IString IEnvironment::programDirectory() {
  IString path = programPath();
  const char* text = path;
  const char* last = nullptr;
  for (const char* p = text; *p; ++p) {
    // Windows accepts both separators in a module path.
    if (*p == directorySeparator() || *p == '/')
      last = p;
  }
  if (!last)
    return IString();
  unsigned long keep = static_cast<unsigned long>(last - text);
  // A root directory keeps its separator ("/", "C:\"): without it the text names no directory.
  if (keep == 0 || (keep == 2 && text[1] == ':'))
    ++keep;
  return IString(text, keep);
}
