// The registry file reader's key tree: names and data in one store, records, and the indexes
// that find keys and values by name. Only the POSIX registry reads such files; the reader stays
// portable so that its tests run on every target, Windows builds under Wine included.
#include "iregistryfile.hpp"

#include <chrono>
#include <cstring>
#include <string_view>

#include "iregistrynames.hpp"

using namespace IRegistryNames;

// ---------------------------------------------------------------------------------------
// The file: store, records and indexes.

IRegistryFile::IRegistryFile()
    : seed_(0xCBF29CE484222325ull ^
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this)) ^
            static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count()) * 0x9E3779B97F4A7C15ull) {
  keyIndex_.reset();
  valueIndex_.reset();
  // The seed differs from run to run, so that no file can be written whose names all land in
  // one slot chain and make the index quadratic.
}

std::uint64_t IRegistryFile::hashName(std::uint32_t owner, const char* name,
                                      std::size_t length) const noexcept {
  // Eight bytes at a time, ASCII capitals made small in the word: names compare without case.
  const std::uint64_t k = 0x9E3779B97F4A7C15ull;
  std::uint64_t h = seed_ ^ ((static_cast<std::uint64_t>(owner) << 32 | length) * k);
  for (std::size_t at = 0; at < length; at += 8) {
    std::uint64_t w = 0;
    std::memcpy(&w, name + at, length - at < 8 ? length - at : 8);
    const std::uint64_t low7 = w & 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t fromA = low7 + 0x3F3F3F3F3F3F3F3Full;   // top bit: at least 'A'
    const std::uint64_t pastZ = low7 + 0x2525252525252525ull;   // top bit: past 'Z'
    w |= ((fromA & ~pastZ & ~w & 0x8080808080808080ull) >> 2); // + 0x20 on 'A' to 'Z'
    h = (h ^ w) * k;
    h ^= h >> 29;
  }
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

void IRegistryFile::Index::reset() {
  slots_.assign(16, 0);
  used_ = 0;
}

template <class Same>
std::size_t IRegistryFile::Index::find(std::uint64_t hash, Same same) const {
  const std::uint32_t t = tag(hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = t & mask;; i = (i + 1) & mask) {
    std::uint64_t slot = slots_[i];
    if (slot == 0) return i;
    if (static_cast<std::uint32_t>(slot >> 32) == t && same(static_cast<std::uint32_t>(slot) - 1)) {
      return i;
    }
  }
}

void IRegistryFile::Index::replace(std::size_t slot, std::uint32_t record) noexcept {
  slots_[slot] = (slots_[slot] & 0xFFFFFFFF00000000ull) | (record + 1);
}

void IRegistryFile::Index::add(std::size_t slot, std::uint64_t hash, std::uint32_t record) {
  slots_[slot] = static_cast<std::uint64_t>(tag(hash)) << 32 | (record + 1);
  if (++used_ * 2 <= slots_.size()) return;
  std::vector<std::uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (std::uint64_t entry : old) {
    if (entry == 0) continue;
    std::size_t i = (entry >> 32) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = entry;
  }
}

std::size_t IRegistryFile::slotOfKey(KeyId parent, const char* name, std::size_t length,
                                     std::uint64_t hash) const noexcept {
  return keyIndex_.find(hash, [&](std::uint32_t id) {
    const KeyRecord& k = keys_[id];
    return k.parent == parent && k.nameLength == length && sameName(store_.data() + k.name, name, length);
  });
}

std::size_t IRegistryFile::slotOfValue(KeyId key, const char* name, std::size_t length,
                                       std::uint64_t hash) const noexcept {
  return valueIndex_.find(hash, [&](std::uint32_t id) {
    const ValueRecord& v = values_[id];
    return v.key == key && v.nameLength == length && sameName(store_.data() + v.name, name, length);
  });
}

IRegistryFile::KeyId IRegistryFile::childKey(KeyId parent, const char* name,
                                             std::size_t length) const noexcept {
  if (length > longestKeyName) return noKey;
  std::uint32_t id = keyIndex_.at(slotOfKey(parent, name, length, hashName(parent, name, length)));
  return (id != 0 && !keys_[id - 1].removed) ? id - 1 : noKey;
}

// The root as stored: a root, abbreviated or not, is the name written out at the store's start.
std::string_view IRegistryFile::rootName(std::string_view written) const noexcept {
  for (std::size_t r = 0; r < rootCount; ++r) {
    if (sameName(written, rootNames[r][0]) || sameName(written, rootNames[r][1])) {
      return std::string_view(store_.data() + rootOffsets_[r], std::strlen(rootNames[r][1]));
    }
  }
  return written;
}

IRegistryFile::KeyId IRegistryFile::findPath(std::string_view path, KeyId from) const noexcept {
  KeyId key = from;
  bool first = from == noKey;
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t end = path.find('\\', at);
    if (end == std::string_view::npos) end = path.size();
    if (end > at) {
      std::string_view name = path.substr(at, end - at);
      if (first) name = rootName(name);
      first = false;
      key = childKey(key, name.data(), name.size());
      if (key == noKey) return noKey;
    }
    at = end + 1;
  }
  return first ? noKey : key;
}

IRegistryFile::KeyId IRegistryFile::makeKey(std::string_view path, std::vector<PathStep>& last) {
  KeyId key = noKey;
  std::size_t depth = 0;
  bool sameSoFar = true;
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t end = path.find('\\', at);
    if (end == std::string_view::npos) end = path.size();
    if (end > at) {
      std::string_view written = path.substr(at, end - at);
      // Sections mostly follow each other down one branch: the part of the path that the
      // last section wrote the same way leads to the same keys.
      if (sameSoFar && depth < last.size() && last[depth].written == written) {
        key = last[depth].key;
      } else {
        sameSoFar = false;
        key = makeChild(key, written);
        last.resize(depth);
        last.push_back(PathStep{written, key});
      }
      ++depth;
    }
    at = end + 1;
  }
  last.resize(depth);
  return key;
}

IRegistryFile::KeyId IRegistryFile::makeChild(KeyId parent, std::string_view name) {
  // A known root lies in the store already, written out.
  bool stored = false;
  if (parent == noKey) {
    std::string_view root = rootName(name);
    stored = root.data() != name.data();
    name = root;
  }
  const std::uint64_t hash = hashName(parent, name.data(), name.size());
  std::size_t slot = slotOfKey(parent, name.data(), name.size(), hash);
  std::uint32_t id = keyIndex_.at(slot);
  if (id != 0 && !keys_[id - 1].removed) return id - 1;
  std::uint32_t offset =
      static_cast<std::uint32_t>(stored ? name.data() - store_.data() : store_.size());
  if (!stored) store_.append(name.data(), name.size());
  keys_.push_back(KeyRecord{parent, offset, static_cast<std::uint16_t>(name.size()), false});
  KeyId key = static_cast<KeyId>(keys_.size() - 1);
  // A removed key keeps its record (its subkeys and values hang on its number, out of reach
  // now); the new one takes its slot.
  if (id != 0) keyIndex_.replace(slot, key);
  else keyIndex_.add(slot, hash, key);
  return key;
}

void IRegistryFile::setValue(KeyId key, const std::string& name, bool removal, unsigned long type,
                             std::size_t data) {
  const std::uint64_t hash = hashName(key, name.data(), name.size());
  std::size_t slot = slotOfValue(key, name.data(), name.size(), hash);
  std::uint32_t id = valueIndex_.at(slot);
  const std::uint32_t size = static_cast<std::uint32_t>(store_.size() - data);
  if (removal) {
    if (id != 0) values_[id - 1].removed = true;
    return;
  }
  if (id != 0) {
    // The earlier data stays in the store unused: at most the size of the line that wrote it.
    ValueRecord& v = values_[id - 1];
    v.data = static_cast<std::uint32_t>(data);
    v.size = size;
    v.type = static_cast<std::uint32_t>(type);
    v.removed = false;
    return;
  }
  const std::uint32_t nameOffset = static_cast<std::uint32_t>(store_.size());
  store_ += name;
  values_.push_back(ValueRecord{key, nameOffset, static_cast<std::uint32_t>(name.size()),
                                static_cast<std::uint32_t>(data), size,
                                static_cast<std::uint32_t>(type), false});
  valueIndex_.add(slot, hash, static_cast<std::uint32_t>(values_.size() - 1));
}

IRegistryFile::KeyId IRegistryFile::findKey(const char* path, KeyId from) const noexcept {
  if (path == nullptr) path = "";
  if (from != noKey && (from >= keys_.size() || keys_[from].removed)) return noKey;
  return findPath(path, from);
}

bool IRegistryFile::findValue(KeyId key, const char* name, Value& value) const noexcept {
  if (key >= keys_.size() || keys_[key].removed) return false;
  if (name == nullptr) name = "";
  std::size_t length = std::strlen(name);
  std::uint32_t id = valueIndex_.at(slotOfValue(key, name, length, hashName(key, name, length)));
  if (id == 0 || values_[id - 1].removed) return false;
  const ValueRecord& v = values_[id - 1];
  value.type = v.type;
  value.data = store_.data() + v.data;
  value.size = v.size;
  return true;
}

std::size_t IRegistryFile::bytesHeld() const noexcept {
  return store_.capacity() + keys_.capacity() * sizeof(KeyRecord) +
         values_.capacity() * sizeof(ValueRecord) +
         keyIndex_.bytes() + valueIndex_.bytes();
}
