// The registry file's names: its roots and the rule that compares names without case, shared
// by the reader's parser and its key tree.
#ifndef IREGISTRYNAMES_HPP
#define IREGISTRYNAMES_HPP

#include <cstddef>
#include <string_view>

namespace IRegistryNames {

// Offsets are kept in 32 bits; the POSIX registry refuses files far smaller than this. (A
// whole number of GB: the refusal names it so.)
inline const std::size_t largestText = std::size_t(1) << 30;

// The roots as written out, and the abbreviations that stand for them.
inline const char* const rootNames[][2] = {
    {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCU", "HKEY_CURRENT_USER"},
    {"HKCR", "HKEY_CLASSES_ROOT"},  {"HKU", "HKEY_USERS"}, {"HKCC", "HKEY_CURRENT_CONFIG"}};
inline const std::size_t rootCount = sizeof rootNames / sizeof rootNames[0];

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool sameName(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

inline bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sameName(a.data(), b.data(), a.size());
}

} // namespace IRegistryNames

#endif
