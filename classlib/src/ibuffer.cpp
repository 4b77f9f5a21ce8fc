// IBuffer and IDBCSBuffer: allocation, counting, the process's buffer kind and text operations.
#include "ibuffer.hpp"

#include "iexcept.hpp"
#include "isystem.hpp"

#include <cctype>
#include <cstring>
#include <limits>
#include <new>

static_assert(sizeof(IDBCSBuffer) == sizeof(IBuffer),
              "both kinds must share one header layout: the text follows it directly");
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t) &&
                  std::atomic<std::uint32_t>::is_always_lock_free,
              "the use count is a plain 32-bit field of the header");

namespace {

// The process's lead-byte table; filled once, before the empty buffer (and so before any
// double-byte buffer) exists, and only read afterwards.
bool leadByteTable[256];

// Static storage for the empty buffer: it is never freed, and making it needs no allocation,
// so a default-constructed IString cannot fail.
alignas(IDBCSBuffer) unsigned char emptyStorage[sizeof(IDBCSBuffer) + 1];

bool decideLeadBytes() noexcept {
  if (IBufferPlatformLeadBytes(leadByteTable)) {
    return true;
  }
  bool any = false;
  try {
    std::string chars;
    if (ISystem::environmentValue("IDBCSTABLE", chars)) {
      for (unsigned char c : chars) {
        if (c != 0) {
          leadByteTable[c] = true;
          any = true;
        }
      }
    }
  } catch (...) {
    // Out of memory while reading the variable: go on single-byte rather than fail every
    // string of the process.
  }
  return any;
}

} // namespace

struct IBufferEmpty {
  static IBuffer* make() noexcept {
    // The header's own constructor count (1) stands for the process, so the empty buffer's
    // count never falls to zero.
    if (decideLeadBytes()) {
      return new (emptyStorage) IDBCSBuffer();
    }
    return new (emptyStorage) IBuffer();
  }
};

IBuffer* IBuffer::emptyBuffer() noexcept {
  static IBuffer* const empty = IBufferEmpty::make();
  return empty;
}

bool IBuffer::isLeadByte(unsigned char c) noexcept { return leadByteTable[c]; }

void IBuffer::removeRef() noexcept {
  if (useCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    if (static_cast<void*>(this) == static_cast<void*>(emptyStorage)) {
      return; // an unbalanced release must not free static storage
    }
    this->~IBuffer();
    ::operator delete(static_cast<void*>(this));
  }
}

// The library's published location of the overflow error: the buffer's source name and line
// number as its exception records have always carried them, not a line of this file.
const char* const kOverflowFile = "ibuffer0";
const unsigned long kOverflowLine = 556;

void IBuffer::overflow() {
  raiseLibraryError(51, IThrowLocation(kOverflowFile, "IBuffer::overflow()", kOverflowLine),
                    IException::invalidRequest, IException::recoverable);
}

IBuffer::Length IBuffer::checkedLength(unsigned long n1, unsigned long n2, unsigned long n3) {
  // Each part is checked on its own first, so the sum cannot wrap in 64 bits.
  if (n1 > maxLength || n2 > maxLength || n3 > maxLength) {
    overflow();
  }
  const std::uint64_t total = std::uint64_t(n1) + n2 + n3;
  if (total > maxLength) {
    overflow();
  }
  return Length(total);
}

void* IBuffer::allocateBlock(Length n) {
  // On a 32-bit platform a length near 4 GiB plus the header does not fit in size_t.
  if (std::size_t(n) > std::numeric_limits<std::size_t>::max() - sizeof(IBuffer) - 1) {
    throw std::bad_alloc();
  }
  return ::operator new(sizeof(IBuffer) + std::size_t(n) + 1);
}

IBuffer* IBuffer::allocate(Length n) const {
  IBuffer* buffer = new (allocateBlock(n)) IBuffer();
  buffer->setLength(n);
  return buffer;
}

IBuffer* IDBCSBuffer::allocate(Length n) const {
  IBuffer* buffer = new (allocateBlock(n)) IDBCSBuffer();
  buffer->setLength(n);
  return buffer;
}

IBuffer* IBuffer::newBuffer(const char* p1, unsigned long n1, const char* p2, unsigned long n2,
                            const char* p3, unsigned long n3, char pad) const {
  const Length total = checkedLength(n1, n2, n3);
  if (total == 0) {
    IBuffer* empty = emptyBuffer();
    empty->addRef();
    return empty;
  }
  IBuffer* buffer = allocate(total);
  char* out = buffer->text();
  const char* parts[3] = {p1, p2, p3};
  const unsigned long counts[3] = {n1, n2, n3};
  for (int i = 0; i < 3; ++i) {
    if (counts[i] == 0) {
      continue;
    }
    if (parts[i]) {
      std::memcpy(out, parts[i], counts[i]);
    } else {
      std::memset(out, static_cast<unsigned char>(pad), counts[i]);
    }
    out += counts[i];
  }
  return buffer;
}

// --- single-byte kind ---------------------------------------------------------------------

IBuffer::Length IBuffer::charLength(Length) const noexcept { return 1; }

IBuffer::Length IBuffer::find(const char* pattern, Length patternLength, Length from,
                              bool) const noexcept {
  if (patternLength == 0 || patternLength > length_ || from > length_ - patternLength) {
    return notFound;
  }
  const char* t = text();
  const Length last = length_ - patternLength;
  Length i = from;
  while (i <= last) {
    const void* hit = std::memchr(t + i, pattern[0], std::size_t(last - i) + 1);
    if (!hit) {
      return notFound;
    }
    i = Length(static_cast<const char*>(hit) - t);
    if (std::memcmp(t + i + 1, pattern + 1, patternLength - 1) == 0) {
      return i;
    }
    ++i;
  }
  return notFound;
}

void IBuffer::upperCase() noexcept {
  char* t = text();
  for (Length i = 0; i < length_; ++i) {
    t[i] = char(std::toupper(static_cast<unsigned char>(t[i])));
  }
}

// --- double-byte kind ---------------------------------------------------------------------

IBuffer::Length IDBCSBuffer::charLength(Length offset) const noexcept {
  return (isLeadByte(static_cast<unsigned char>(text()[offset])) && offset + 1 < length())
             ? 2
             : 1;
}

IBuffer::Length IDBCSBuffer::find(const char* pattern, Length patternLength, Length from,
                                  bool fromIsBoundary) const noexcept {
  const Length n = length();
  if (patternLength == 0 || patternLength > n || from > n - patternLength) {
    return notFound;
  }
  // A pattern whose last byte is an unpaired lead byte would take the text's next byte as its
  // trail: it may only match at the very end of the text.
  bool endsInLead = false;
  for (Length k = 0; k < patternLength;) {
    if (isLeadByte(static_cast<unsigned char>(pattern[k]))) {
      if (k + 1 == patternLength) {
        endsInLead = true;
      }
      k += 2;
    } else {
      ++k;
    }
  }
  const char* t = text();
  Length i = 0;
  if (fromIsBoundary) {
    i = from;
  } else {
    while (i < from) {
      i += IDBCSBuffer::charLength(i);
    }
  }
  const Length last = n - patternLength;
  while (i <= last) {
    if (t[i] == pattern[0] && std::memcmp(t + i, pattern, patternLength) == 0 &&
        (!endsInLead || i == last)) {
      return i;
    }
    i += IDBCSBuffer::charLength(i);
  }
  return notFound;
}

void IDBCSBuffer::upperCase() noexcept {
  char* t = text();
  for (Length i = 0; i < length();) {
    const Length size = IDBCSBuffer::charLength(i);
    if (size == 1) {
      t[i] = char(std::toupper(static_cast<unsigned char>(t[i])));
    }
    i += size;
  }
}
