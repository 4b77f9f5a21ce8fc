// The Windows registry: RegOpenKeyExA, RegQueryMultipleValuesA and RegCloseKey on HKLM.
#include <windows.h>

#include <vector>

#include "iregistry.hpp"

namespace {

// Each build reads the view of its own word size: a 32-bit launcher can load only a 32-bit
// jvm.dll, which a 32-bit installer registers in the WOW64 view, and likewise for 64 bits.
// On 32-bit Windows the flag is ignored.
const REGSAM viewOfThisBuild = sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

HKEY platformKey(IRegistry::Key key) { return reinterpret_cast<HKEY>(key); }

} // namespace

long IRegistry::openKey(const char* subKey, Key* key) {
  if (key == nullptr) return invalidParameter;
  HKEY opened = nullptr;
  LONG answer = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE | viewOfThisBuild,
                              &opened);
  *key = answer == ERROR_SUCCESS ? reinterpret_cast<Key>(opened) : nullptr;
  return answer;
}

long IRegistry::queryMultipleValues(Key key, ValueEntry* list, unsigned long count, char* buffer,
                                    unsigned long* totalSize) {
  if (list == nullptr || totalSize == nullptr) return invalidParameter;
  std::vector<VALENTA> entries(count);
  for (unsigned long i = 0; i < count; ++i) {
    entries[i].ve_valuename = const_cast<LPSTR>(list[i].valueName);
    entries[i].ve_valuelen = 0;
    entries[i].ve_valueptr = 0;
    entries[i].ve_type = 0;
  }
  DWORD size = *totalSize;
  LONG answer = RegQueryMultipleValuesA(platformKey(key), entries.data(), count, buffer, &size);
  *totalSize = size;
  for (unsigned long i = 0; i < count; ++i) {
    list[i].valueLength = entries[i].ve_valuelen;
    list[i].valuePointer = reinterpret_cast<const char*>(entries[i].ve_valueptr);
    list[i].type = entries[i].ve_type;
  }
  return answer;
}

long IRegistry::closeKey(Key key) { return RegCloseKey(platformKey(key)); }

IString IRegistry::refusal() { return IString(); }
