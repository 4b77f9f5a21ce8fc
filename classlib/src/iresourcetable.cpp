// The compiled-in resource tables of the program, collected for the POSIX resource library.
#include "iresourcetable.hpp"

#include "iresourcetable_private.hpp"

namespace {
std::vector<IResourceEntry>& tables() {
  static std::vector<IResourceEntry>* entries = new std::vector<IResourceEntry>;
  return *entries;
}
} // namespace

IResourceTable::IResourceTable(const IResourceEntry* entries, std::size_t count) {
  // Made during static initialisation, before any thread: no lock is needed.
  tables().insert(tables().end(), entries, entries + count);
}

const IResourceEntry* IResourceTablePrivate::find(IResourceEntry::Type type, unsigned long id) {
  for (const IResourceEntry& entry : tables())
    if (entry.type == type && entry.id == id)
      return &entry;
  return nullptr;
}
