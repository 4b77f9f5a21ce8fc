// The lookup in the program's compiled-in resource tables.
#ifndef IRESOURCETABLE_PRIVATE_HPP
#define IRESOURCETABLE_PRIVATE_HPP

#include <vector>

#include "iresourcetable.hpp"

namespace IResourceTablePrivate {
// The entry of that type and id; null when the program has none.
const IResourceEntry* find(IResourceEntry::Type type, unsigned long id);
} // namespace IResourceTablePrivate

#endif
