// IRegistryFile: the registry editor's export format, parsed once into an indexed key tree.
#ifndef IREGISTRYFILE_HPP
#define IREGISTRYFILE_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file is read the way the registry editor imports it into an empty registry: sections
// in order, later values replacing earlier ones, "[-KEY]" and "name"=- removing. Key and value
// names are compared without case (ASCII letters), as the registry does.
//
// Every key is a node of a tree (a section creates its parents too, as the registry does),
// and keys and values are found through hash tables: parsing costs time in proportion to the
// file's size, a lookup does not depend on it. Names and data are kept in one store of at most
// the text's size, beside small fixed-size records.
//
// A line that is not in the format costs only itself: it is skipped, counted and described
// (the first ones kept, see problems()), and the rest of the file is used. Only a text that
// does not begin with the format's header is refused as a whole.
class IRegistryFile {
public:
  typedef std::uint32_t KeyId;
  static constexpr KeyId noKey = 0xFFFFFFFFu;

  // A value as a narrow-character read returns it; data stays valid while the file lives.
  struct Value {
    unsigned long type;   // IRegistry::Type
    const char* data;
    std::size_t size;
  };

  // A malformed line: where it is and what is wrong with it.
  struct Problem {
    unsigned long line;   // 1-based
    std::string what;
  };
  static constexpr std::size_t problemsKept = 10;

  // Limits of the registry itself; a section beyond them is malformed.
  static constexpr std::size_t longestKeyName = 255;
  static constexpr std::size_t deepestKeyPath = 512;
  static constexpr std::size_t longestValueName = 16383;

  IRegistryFile();

  // Parses the bytes of a file ("Windows Registry Editor Version 5.00" or "REGEDIT4", in
  // UTF-8, or in UTF-16LE with or without its byte order mark). False when the text does not
  // begin with a header (blank and comment lines aside): refusal() then says why and no key
  // exists. The bytes are taken over so that a large file is not held twice.
  bool parse(std::string bytes);
  const std::string& refusal() const noexcept { return refusal_; }

  // The first problemsKept malformed lines, in file order; problemCount() counts them all.
  const std::vector<Problem>& problems() const noexcept { return problems_; }
  unsigned long problemCount() const noexcept { return problemCount_; }
  unsigned long lastProblemLine() const noexcept { return lastProblemLine_; }

  // The key of path ("HKLM\X" or "HKEY_LOCAL_MACHINE\X"; empty parts between backslashes do
  // not count), written as a section or the parent of one; noKey when it does not exist. With
  // a key as from, path is below that key (without a root); an empty path is the key itself.
  KeyId findKey(const char* path, KeyId from = noKey) const noexcept;
  // The value name of key (null or "" for the default value); false when it does not exist.
  bool findValue(KeyId key, const char* name, Value& value) const noexcept;

  // Bytes held for the parsed file (store, records, indexes), for measurements.
  std::size_t bytesHeld() const noexcept;

private:
  struct KeyRecord {
    std::uint32_t parent;   // noKey for a root
    std::uint32_t name;     // offset in store_
    std::uint16_t nameLength;
    bool removed;
  };
  struct ValueRecord {
    std::uint32_t key;
    std::uint32_t name;
    std::uint32_t nameLength;
    std::uint32_t data;
    std::uint32_t size;
    std::uint32_t type;
    bool removed;
  };

  // Open addressing with linear probing, kept at most half full. (Measured against the
  // standard library's unordered_map keyed on owner and name, with its room reserved for every
  // line at once: parsing 100,000 keys took 240 ms against 162 ms, and a file of tiny values
  // held 9 bytes per byte of file against 5, which would take an 8 MB file of them past the
  // POSIX registry's budget of about 60 MB. Hence this small table of its own.) A slot holds 32 bits of the
  // name's hash beside the record number (+1; 0 is an empty slot): most other names in a chain
  // are passed over without touching their records, and growing reads no record at all.
  // Records are never taken out: a removed one is marked, and its slot is given to the record
  // that replaces it.
  class Index {
  public:
    void reset();
    // The slot of the record among those of hash that is accepted by same(record), or the
    // empty slot where such a record would go.
    template <class Same> std::size_t find(std::uint64_t hash, Same same) const;
    // The record number + 1 in slot; 0 for an empty slot.
    std::uint32_t at(std::size_t slot) const noexcept {
      return static_cast<std::uint32_t>(slots_[slot]);
    }
    void replace(std::size_t slot, std::uint32_t record) noexcept;
    void add(std::size_t slot, std::uint64_t hash, std::uint32_t record);
    std::size_t bytes() const noexcept { return slots_.capacity() * sizeof(std::uint64_t); }

  private:
    static std::uint32_t tag(std::uint64_t hash) noexcept {
      return static_cast<std::uint32_t>(hash ^ (hash >> 32));
    }
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
  };

  class Parser;
  friend class Parser;

  std::uint64_t hashName(std::uint32_t owner, const char* name, std::size_t length) const noexcept;
  std::string_view rootName(std::string_view written) const noexcept;
  KeyId findPath(std::string_view path, KeyId from = noKey) const noexcept;
  // A part of the last section's path as written, and the key it led to.
  struct PathStep {
    std::string_view written;
    KeyId key;
  };
  KeyId makeKey(std::string_view path, std::vector<PathStep>& last);
  KeyId makeChild(KeyId parent, std::string_view name);
  void setValue(KeyId key, const std::string& name, bool removal, unsigned long type,
                std::size_t data);
  KeyId childKey(KeyId parent, const char* name, std::size_t length) const noexcept;
  std::size_t slotOfKey(KeyId parent, const char* name, std::size_t length,
                        std::uint64_t hash) const noexcept;
  std::size_t slotOfValue(KeyId key, const char* name, std::size_t length,
                          std::uint64_t hash) const noexcept;

  std::string store_;
  std::vector<KeyRecord> keys_;
  std::vector<ValueRecord> values_;
  Index keyIndex_, valueIndex_;
  std::uint32_t rootOffsets_[5] = {};   // the roots written out, first in the store
  std::uint64_t seed_;
  std::string refusal_;
  std::vector<Problem> problems_;
  unsigned long problemCount_ = 0;
  unsigned long lastProblemLine_ = 0;
};

#endif
