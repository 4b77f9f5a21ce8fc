// The POSIX registry: HKEY_LOCAL_MACHINE read from a registry file, with the platform's answers.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iregistry.hpp"
#include "iregistryfile.hpp"

struct IRegistryKeyRecord {
  std::vector<IRegistryFile::Value> values;
};

namespace {

const char* registryFileName() {
  const char* name = std::getenv("IREGISTRY");
  return (name != nullptr && *name != '\0') ? name : "/etc/obel/registry.reg";
}

// Reads the whole file; answers as RegOpenKeyExA would for a hive it cannot reach.
long readFile(const char* name, std::string& bytes) {
  std::FILE* f = std::fopen(name, "rb");
  if (f == nullptr) {
    return (errno == EACCES || errno == EPERM) ? IRegistry::accessDenied : IRegistry::fileNotFound;
  }
  char chunk[8192];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  // A directory opens but does not read.
  return failed ? IRegistry::badDatabase : IRegistry::success;
}

} // namespace

long IRegistry::openKey(const char* subKey, Key* key) {
  if (key == nullptr) return invalidParameter;
  *key = nullptr;
  std::string bytes;
  long answer = readFile(registryFileName(), bytes);
  if (answer != success) return answer;
  IRegistryFile file;
  if (!file.parse(bytes)) return badDatabase;

  std::string path = "HKEY_LOCAL_MACHINE";
  if (subKey != nullptr && *subKey != '\0') path += std::string("\\") + subKey;
  if (!file.hasKey(path)) return fileNotFound;
  IRegistryKeyRecord* record = new IRegistryKeyRecord;
  if (const IRegistryFile::Key* k = file.findKey(path)) record->values = k->values;
  *key = record;
  return success;
}

long IRegistry::queryMultipleValues(Key key, ValueEntry* list, unsigned long count, char* buffer,
                                    unsigned long* totalSize) {
  if (key == nullptr) return invalidHandle;
  if (list == nullptr || totalSize == nullptr) return invalidParameter;
  unsigned long room = *totalSize;
  unsigned long total = 0;
  char* next = buffer;
  *totalSize = 0;
  for (unsigned long i = 0; i < count; ++i) {
    const std::string name = list[i].valueName != nullptr ? list[i].valueName : "";
    const IRegistryFile::Value* value = nullptr;
    for (const IRegistryFile::Value& v : key->values) {
      if (IRegistryFile::sameName(v.name, name)) {
        value = &v;
        break;
      }
    }
    if (value == nullptr) return fileNotFound;
    unsigned long size = static_cast<unsigned long>(value->data.size());
    list[i].valueLength = size;
    if (buffer != nullptr && total + size <= room) {
      if (size > 0) std::memcpy(next, value->data.data(), size);
      list[i].valuePointer = next;
      list[i].type = value->type;
      next += size;
    }
    total += size;
    *totalSize = total;
  }
  return (buffer != nullptr && total <= room) ? success : moreData;
}

long IRegistry::closeKey(Key key) {
  if (key == nullptr) return invalidHandle;
  delete key;
  return success;
}
