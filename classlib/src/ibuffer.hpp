// IBuffer and IDBCSBuffer: the counted, copy-on-write text buffers behind IString.
#ifndef IBUFFER_HPP
#define IBUFFER_HPP

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// One heap block: this header (the kind, i.e. the vtable pointer; the use count; the length)
// directly followed by the text and its terminating zero byte. An IString holds a pointer to the
// text and reaches the header backwards from it.
//
// The kind is chosen once per process: IDBCSBuffer when the code page (or "IDBCSTABLE") names
// lead bytes, IBuffer otherwise. Every buffer made from an existing one is made through that
// buffer's kind, so derived strings keep it.
class IBuffer {
public:
  typedef std::uint32_t Length;
  static const Length maxLength = 0xFFFFFFFFu;
  static const Length notFound = 0xFFFFFFFFu;

  virtual ~IBuffer() = default;
  IBuffer(const IBuffer&) = delete;
  IBuffer& operator=(const IBuffer&) = delete;

  // The process-wide empty buffer: created at first use, never freed. It also fixes the kind
  // for the whole process. No count is added for the caller.
  static IBuffer* emptyBuffer() noexcept;
  // The buffer whose text starts at text.
  static IBuffer* fromText(char* text) noexcept {
    return reinterpret_cast<IBuffer*>(text - sizeof(IBuffer));
  }

  char* text() noexcept { return reinterpret_cast<char*>(this) + sizeof(IBuffer); }
  const char* text() const noexcept {
    return reinterpret_cast<const char*>(this) + sizeof(IBuffer);
  }
  Length length() const noexcept { return length_; }
  Length useCount() const noexcept { return useCount_.load(std::memory_order_acquire); }
  bool isShared() const noexcept { return useCount() != 1; }

  void addRef() noexcept { useCount_.fetch_add(1, std::memory_order_relaxed); }
  // Drops one use; the last one frees the block (never the empty buffer's).
  void removeRef() noexcept;

  // A new buffer of this kind, use count 1, holding n1 + n2 + n3 bytes: each part's bytes are
  // copied from its pointer, or, for a part given without characters (null pointer), filled
  // with pad. Raises library error 51 when the total does not fit in 32 bits.
  IBuffer* newBuffer(const char* p1, unsigned long n1, const char* p2 = nullptr,
                     unsigned long n2 = 0, const char* p3 = nullptr, unsigned long n3 = 0,
                     char pad = ' ') const;

  // The sum of the lengths of up to three parts, as a 32-bit length; raises library error 51
  // (through overflow()) when it does not fit.
  static Length checkedLength(unsigned long n1, unsigned long n2 = 0, unsigned long n3 = 0);
  [[noreturn]] static void overflow();

  // Shortens the text in place to length n (the block keeps its size). Only for an unshared
  // buffer.
  void setLength(Length n) noexcept {
    length_ = n;
    text()[n] = '\0';
  }

  // --- text operations; the double-byte kind keeps its characters whole -------------------
  virtual bool isDBCS() const noexcept { return false; }
  // Number of bytes of the character that starts at offset (offset < length): 1, or 2 for a
  // lead byte with a byte behind it.
  virtual Length charLength(Length offset) const noexcept;
  // 0-based offset of the first match of pattern (patternLength > 0) that starts at or after
  // from; notFound when there is none. fromIsBoundary promises that from is the start of a
  // character, which saves the double-byte kind a walk from the beginning.
  virtual Length find(const char* pattern, Length patternLength, Length from,
                      bool fromIsBoundary = false) const noexcept;
  // Upper-cases, in place, the lower-case letters of the current C locale. Only for an
  // unshared buffer.
  virtual void upperCase() noexcept;

  // Whether c is a lead byte of the process's double-byte table.
  static bool isLeadByte(unsigned char c) noexcept;

protected:
  IBuffer() noexcept : useCount_(1), length_(0) {}
  // Allocates a block for n bytes of text and constructs a buffer of this kind in it.
  virtual IBuffer* allocate(Length n) const;
  static void* allocateBlock(Length n);

private:
  friend struct IBufferEmpty;
  std::atomic<std::uint32_t> useCount_;
  Length length_;
};

// The double-byte aware kind. A lead byte and the byte after it form one character:
//  - upperCase never changes either byte of a double-byte character;
//  - find (so indexOf, occurrencesOf, the scanner's patterns and fields) only accepts a match
//    that starts and ends on a character boundary, so a pattern never matches from a trail byte
//    and never takes half of a character;
//  - the scanner never treats a trail byte as a blank.
// A lead byte at the very end of the text (with no byte behind it) counts as a character of its
// own. Positions and lengths stay byte counts.
class IDBCSBuffer : public IBuffer {
public:
  bool isDBCS() const noexcept override { return true; }
  Length charLength(Length offset) const noexcept override;
  Length find(const char* pattern, Length patternLength, Length from,
              bool fromIsBoundary = false) const noexcept override;
  void upperCase() noexcept override;

protected:
  friend struct IBufferEmpty;
  IDBCSBuffer() noexcept = default;
  IBuffer* allocate(Length n) const override;
};

// Platform hooks, one file per backend.
// Marks in leadBytes the lead bytes of the platform's code page; returns whether there is any.
bool IBufferPlatformLeadBytes(bool (&leadBytes)[256]) noexcept;
// The value of environment variable name; false when it is not set.


#endif
