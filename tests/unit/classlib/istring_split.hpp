// Test helpers for the comma split: the scanner loop as the bridge once wrote it, and a printer.
#ifndef ISTRING_SPLIT_HPP
#define ISTRING_SPLIT_HPP

#include "istring.hpp"

#include <string>
#include <vector>

// count = occurrencesOf(separator) + 1 elements; repeat `remainder >> element >> sep >> rest`.
inline std::vector<IString> scannerSplit(const IString& text, const char* separator) {
  std::vector<IString> out;
  const unsigned long count = text.occurrencesOf(separator) + 1;
  IString remainder = text;
  for (unsigned long k = 0; k < count; ++k) {
    IString element, rest;
    remainder >> element >> separator >> rest;
    out.push_back(element);
    remainder = rest;
  }
  return out;
}

// "[a][][b]": shows empty fields and blanks in failure messages.
inline std::string show(const std::vector<IString>& fields) {
  std::string s;
  for (const IString& f : fields) {
    s += "[" + std::string(f.c_str(), f.length()) + "]";
  }
  return s;
}

#endif
