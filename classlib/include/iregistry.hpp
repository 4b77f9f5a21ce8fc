// IRegistry: read access to keys under HKEY_LOCAL_MACHINE, as thin as the platform's own calls.
#ifndef IREGISTRY_HPP
#define IREGISTRY_HPP

#include "istring.hpp"

// The operations answer with the platform's error codes (0 for success) instead of throwing:
// callers such as the launcher follow the registry's own two-call protocol, in which
// moreData on the first call is the expected answer, not a failure.
//
// Windows: the real registry. The 32-bit build reads the 32-bit (WOW64) view, the 64-bit build
// the 64-bit view, so each build finds the runtime registered for its own word size.
// POSIX: a registry file in the registry editor's export format, named by the environment
// variable IREGISTRY (default /etc/obel/registry.reg). It is read and parsed once, and again
// only when the name or the file changes (another file, size or modification time). A file
// that cannot serve (not a regular file, larger than 8 MB, unreadable, not in the format) has
// no keys; a malformed line is skipped. Either is written to the exception logger, once per
// version of the file; no exception leaves these calls. A file that users other than its owner
// and root may change (write it, or replace it in a folder they may write that has no sticky
// bit) is refused: the registry names the libraries a program loads, so such a file would let
// them choose its code. Then, as for a file that cannot be opened, every key answers
// accessDenied.
class IRegistry {
public:
  // An open key; null is never a valid key.
  typedef struct IRegistryKeyRecord* Key;

  // Answers, with the values of the platform's error codes.
  enum Answer : long {
    success = 0,
    fileNotFound = 2,      // no such key or value (or, on POSIX, no registry file it can use)
    accessDenied = 5,
    invalidHandle = 6,
    invalidParameter = 87,
    moreData = 234,        // the buffer is too small; totalSize holds the size needed
    badDatabase = 1009     // the registry is corrupt (POSIX: never; a bad file has no keys)
  };

  // Registry value types (the raw bytes are returned whatever the type).
  enum Type : unsigned long {
    typeNone = 0, typeString = 1, typeExpandString = 2, typeBinary = 3, typeDword = 4,
    typeDwordBigEndian = 5, typeLink = 6, typeMultiString = 7, typeQword = 11
  };

  // One entry of a value list, as RegQueryMultipleValuesA's VALENT: the caller sets
  // valueName (null or "" for the key's default value); the query fills in the rest.
  struct ValueEntry {
    const char* valueName;
    unsigned long valueLength;   // bytes of the value's data
    const char* valuePointer;    // where the data lies in the caller's buffer (null if not copied)
    unsigned long type;
  };

  // Opens subKey of HKEY_LOCAL_MACHINE for query access (RegOpenKeyExA, KEY_QUERY_VALUE).
  static long openKey(const char* subKey, Key* key);

  // RegQueryMultipleValuesA: sizes every value of list; when buffer is not null and the
  // total fits in *totalSize bytes, copies the data one value after the other into buffer
  // and answers success. Otherwise answers moreData with the total needed in *totalSize
  // (so a first call with no buffer and a size of 0 answers moreData for values that exist).
  // A value that does not exist answers fileNotFound.
  static long queryMultipleValues(Key key, ValueEntry* list, unsigned long count, char* buffer,
                                  unsigned long* totalSize);

  // RegCloseKey.
  static long closeKey(Key key);

  // When openKey answers accessDenied: why, as one sentence for the user (POSIX: the registry
  // file's name and what is wrong with it). Empty otherwise, and on Windows, whose registry
  // says no more than its answer.
  static IString refusal();
};

#endif
