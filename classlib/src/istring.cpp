// IString and IStringScanner: construction, queries, concatenation, in-place changes, scanning.
#include "istring.hpp"

#include "ibuffer.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// strlen as a 32-bit length; a longer text cannot be a string's text.
IBuffer::Length textLength(const char* text) {
  return text ? IBuffer::checkedLength(std::strlen(text)) : 0;
}

bool isBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A position argument: 0 counts as 1.
unsigned long firstPosition(unsigned long startPos) noexcept { return startPos ? startPos : 1; }

} // namespace

// --- construction and lifetime --------------------------------------------------------------

IString::IString() noexcept {
  IBuffer* empty = IBuffer::emptyBuffer();
  empty->addRef();
  text_ = empty->text();
}

IString::IString(IBuffer* buffer, Adopt) noexcept : text_(buffer->text()) {}

IString::IString(const char* text)
    : IString(IBuffer::emptyBuffer()->newBuffer(text, textLength(text)), Adopt()) {}

IString::IString(const char* text, unsigned long length)
    : IString(IBuffer::emptyBuffer()->newBuffer(text, text ? length : 0), Adopt()) {}

IString::IString(unsigned long n) : IString() {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%lu", n);
  *this = digits;
}

IString::IString(long n) : IString() {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%ld", n);
  *this = digits;
}

IString::IString(unsigned int n) : IString(static_cast<unsigned long>(n)) {}

IString::IString(int n) : IString(static_cast<long>(n)) {}

IString::IString(const IString& other) noexcept : text_(other.text_) { buffer()->addRef(); }

IString::IString(IString&& other) noexcept : text_(other.text_) {
  IBuffer* empty = IBuffer::emptyBuffer();
  empty->addRef();
  other.text_ = empty->text();
}

IString& IString::operator=(const IString& other) noexcept {
  // Count the source first: with self-assignment the buffer never reaches zero.
  other.buffer()->addRef();
  IBuffer* old = buffer();
  text_ = other.text_;
  old->removeRef();
  return *this;
}

IString& IString::operator=(IString&& other) noexcept {
  if (this != &other) {
    IString taken(std::move(other));
    std::swap(text_, taken.text_);
  }
  return *this;
}

IString& IString::operator=(const char* text) {
  IString copy(text);
  std::swap(text_, copy.text_);
  return *this;
}

IString::~IString() { buffer()->removeRef(); }

IBuffer* IString::buffer() const noexcept { return IBuffer::fromText(text_); }

void IString::detach() {
  IBuffer* old = buffer();
  if (!old->isShared()) {
    return;
  }
  IBuffer* copy = old->newBuffer(text_, old->length());
  text_ = copy->text();
  old->removeRef();
}

IString IString::slice(Length offset, Length n) const {
  if (offset == 0 && n == buffer()->length()) {
    return *this;
  }
  return IString(buffer()->newBuffer(text_ + offset, n), Adopt());
}

bool IString::isDBCS() { return IBuffer::emptyBuffer()->isDBCS(); }

// --- queries --------------------------------------------------------------------------------

unsigned long IString::length() const noexcept { return buffer()->length(); }

namespace {

unsigned long indexIn(const IBuffer* buffer, const char* pattern, unsigned long patternLength,
                      unsigned long startPos) {
  const unsigned long start = firstPosition(startPos);
  if (!pattern || patternLength == 0 || patternLength > IBuffer::maxLength ||
      start > buffer->length()) {
    return 0;
  }
  const IBuffer::Length at = buffer->find(pattern, IBuffer::Length(patternLength),
                                          IBuffer::Length(start - 1));
  return at == IBuffer::notFound ? 0 : at + 1UL;
}

unsigned long countIn(const IBuffer* buffer, const char* pattern, unsigned long patternLength,
                      unsigned long startPos) {
  const unsigned long start = firstPosition(startPos);
  if (!pattern || patternLength == 0 || patternLength > IBuffer::maxLength ||
      start > buffer->length()) {
    return 0;
  }
  unsigned long count = 0;
  IBuffer::Length from = IBuffer::Length(start - 1);
  bool fromIsBoundary = false;
  for (;;) {
    const IBuffer::Length at =
        buffer->find(pattern, IBuffer::Length(patternLength), from, fromIsBoundary);
    if (at == IBuffer::notFound) {
      return count;
    }
    ++count;
    from = at + IBuffer::Length(patternLength);
    fromIsBoundary = true; // a match ends on a character boundary
  }
}

} // namespace

unsigned long IString::indexOf(const char* pattern, unsigned long startPos) const {
  return indexIn(buffer(), pattern, pattern ? std::strlen(pattern) : 0, startPos);
}

unsigned long IString::indexOf(const IString& pattern, unsigned long startPos) const {
  return indexIn(buffer(), pattern.text_, pattern.length(), startPos);
}

unsigned long IString::occurrencesOf(const char* pattern, unsigned long startPos) const {
  return countIn(buffer(), pattern, pattern ? std::strlen(pattern) : 0, startPos);
}

unsigned long IString::occurrencesOf(const IString& pattern, unsigned long startPos) const {
  return countIn(buffer(), pattern.text_, pattern.length(), startPos);
}

IString IString::subString(unsigned long startPos) const {
  const unsigned long start = firstPosition(startPos);
  const Length n = buffer()->length();
  if (start > n) {
    return IString();
  }
  return slice(Length(start - 1), Length(n - (start - 1)));
}

IString IString::subString(unsigned long startPos, unsigned long length, char pad) const {
  const unsigned long start = firstPosition(startPos);
  const Length n = buffer()->length();
  const unsigned long available = start > n ? 0 : n - (start - 1);
  const unsigned long taken = std::min(available, length);
  if (length == 0) {
    return IString();
  }
  if (taken == length) {
    return slice(Length(start - 1), Length(taken));
  }
  // The text's part, then pad for the part past its end.
  return IString(buffer()->newBuffer(taken ? text_ + (start - 1) : text_, taken, nullptr,
                                     length - taken, nullptr, 0, pad),
                 Adopt());
}

std::vector<IString> IString::fields(const char* separator) const {
  std::vector<IString> result;
  const unsigned long separatorLength = separator ? std::strlen(separator) : 0;
  const unsigned long separators = countIn(buffer(), separator, separatorLength, 1);
  result.reserve(separators + 1);
  if (separators == 0) {
    result.push_back(*this);
    return result;
  }
  // One pass: each search starts behind the previous separator, which is a character boundary.
  const IBuffer* b = buffer();
  const Length patternLength = Length(separatorLength);
  Length from = 0;
  for (unsigned long k = 0; k < separators; ++k) {
    const Length at = b->find(separator, patternLength, from, true);
    result.push_back(slice(from, at - from));
    from = at + patternLength;
  }
  result.push_back(slice(from, b->length() - from));
  return result;
}

// --- changes in place -----------------------------------------------------------------------

IString& IString::upperCase() {
  if (buffer()->length() == 0) {
    return *this;
  }
  detach();
  buffer()->upperCase();
  return *this;
}

IString& IString::remove(unsigned long startPos, unsigned long count) {
  const unsigned long start = firstPosition(startPos);
  const Length n = buffer()->length();
  if (n == 0 || start > n || count == 0) {
    return *this;
  }
  const Length offset = Length(start - 1);
  const Length removed = Length(std::min<unsigned long>(count, n - offset));
  const Length tail = n - offset - removed;
  IBuffer* old = buffer();
  if (old->isShared()) {
    // One new buffer from the two kept parts, instead of a copy that is then shortened.
    IBuffer* kept = old->newBuffer(text_, offset, text_ + offset + removed, tail);
    text_ = kept->text();
    old->removeRef();
  } else {
    std::memmove(text_ + offset, text_ + offset + removed, tail);
    old->setLength(offset + tail);
  }
  return *this;
}

IString& IString::operator+=(const IString& other) {
  if (other.length() == 0) {
    return *this;
  }
  if (length() == 0) {
    return *this = other;
  }
  *this = IString(buffer()->newBuffer(text_, length(), other.text_, other.length()), Adopt());
  return *this;
}

IString& IString::operator+=(const char* text) {
  const Length n = textLength(text);
  if (n == 0) {
    return *this;
  }
  *this = IString(buffer()->newBuffer(text_, length(), text, n), Adopt());
  return *this;
}

// --- concatenation --------------------------------------------------------------------------

IString operator+(const IString& a, const IString& b) {
  if (b.length() == 0) {
    return a;
  }
  if (a.length() == 0) {
    return b;
  }
  return IString(a.buffer()->newBuffer(a.text_, a.length(), b.text_, b.length()), IString::Adopt());
}

IString operator+(const IString& a, const char* b) {
  const IString::Length n = textLength(b);
  if (n == 0) {
    return a;
  }
  return IString(a.buffer()->newBuffer(a.text_, a.length(), b, n), IString::Adopt());
}

IString operator+(const char* a, const IString& b) {
  const IString::Length n = textLength(a);
  if (n == 0) {
    return b;
  }
  return IString(b.buffer()->newBuffer(a, n, b.text_, b.length()), IString::Adopt());
}

// --- comparison -----------------------------------------------------------------------------

int IString::compare(const IString& a, const char* b, unsigned long bLength) {
  if (!b) {
    return 1;
  }
  const unsigned long aLength = a.length();
  // memcmp compares as unsigned char, which is the order wanted for bytes above 127.
  const int bytes = std::memcmp(a.text_, b, std::min(aLength, bLength));
  if (bytes != 0) {
    return bytes < 0 ? -1 : 1;
  }
  return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

namespace {

int compareStrings(const IString& a, const IString& b) {
  return IString::compare(a, b.c_str(), b.length());
}

int compareText(const IString& a, const char* b) {
  return IString::compare(a, b, b ? std::strlen(b) : 0);
}

} // namespace

bool operator==(const IString& a, const IString& b) {
  return a.text_ == b.text_ || compareStrings(a, b) == 0;
}
bool operator==(const IString& a, const char* b) { return compareText(a, b) == 0; }
bool operator==(const char* a, const IString& b) { return compareText(b, a) == 0; }
bool operator!=(const IString& a, const IString& b) { return !(a == b); }
bool operator!=(const IString& a, const char* b) { return compareText(a, b) != 0; }
bool operator!=(const char* a, const IString& b) { return compareText(b, a) != 0; }
bool operator<(const IString& a, const IString& b) { return compareStrings(a, b) < 0; }
bool operator<(const IString& a, const char* b) { return compareText(a, b) < 0; }
bool operator<(const char* a, const IString& b) { return compareText(b, a) > 0; }
bool operator<=(const IString& a, const IString& b) { return compareStrings(a, b) <= 0; }
bool operator<=(const IString& a, const char* b) { return compareText(a, b) <= 0; }
bool operator<=(const char* a, const IString& b) { return compareText(b, a) >= 0; }
bool operator>(const IString& a, const IString& b) { return compareStrings(a, b) > 0; }
bool operator>(const IString& a, const char* b) { return compareText(a, b) > 0; }
bool operator>(const char* a, const IString& b) { return compareText(b, a) < 0; }
bool operator>=(const IString& a, const IString& b) { return compareStrings(a, b) >= 0; }
bool operator>=(const IString& a, const char* b) { return compareText(a, b) >= 0; }
bool operator>=(const char* a, const IString& b) { return compareText(b, a) <= 0; }

// --- scanning -------------------------------------------------------------------------------

IStringScanner IString::operator>>(IString& target) const {
  IStringScanner scanner(*this);
  scanner >> target;
  return scanner;
}

IStringScanner::IStringScanner(const IString& source)
    : source_(source), position_(1), matchPosition_(1), matchLength_(0), lastTarget_(nullptr) {}

void IStringScanner::giveNextWord(IString& target, Length& position, Length end) const {
  const IBuffer* b = source_.buffer();
  const char* t = source_.c_str();
  // A blank is a single-byte character; a trail byte never counts as one.
  auto blankAt = [&](Length i) { return isBlank(t[i]) && b->charLength(i) == 1; };
  Length i = position;
  while (i < end && blankAt(i)) {
    ++i;
  }
  const Length start = i;
  while (i < end && !blankAt(i)) {
    i += b->charLength(i);
  }
  i = std::min(i, end); // a double-byte character may not straddle the end of the part
  target = source_.slice(start, i - start);
  position = i < end ? i + 1 : end;
}

IStringScanner& IStringScanner::operator>>(IString& target) {
  const Length n = source_.buffer()->length();
  if (lastTarget_) {
    // Two targets in a row: the previous one takes the next word.
    Length position = Length(std::min<unsigned long>(position_ - 1, n));
    giveNextWord(*lastTarget_, position, n);
    position_ = position + 1UL;
  }
  target = position_ > n ? IString() : source_.slice(Length(position_ - 1),
                                                     Length(n - (position_ - 1)));
  if (waiting_.size() == waiting_.capacity()) {
    waiting_.reserve(waiting_.capacity() + 10);
  }
  waiting_.push_back(&target);
  lastTarget_ = &target;
  return *this;
}

void IStringScanner::distribute(Length from, Length to) {
  Length position = from;
  for (std::size_t k = 0; k + 1 < waiting_.size(); ++k) {
    giveNextWord(*waiting_[k], position, to);
  }
  if (!waiting_.empty()) {
    *waiting_.back() = position < to ? source_.slice(position, to - position) : IString();
  }
}

void IStringScanner::scanPattern(const char* pattern, unsigned long patternLength) {
  const IBuffer* b = source_.buffer();
  const Length n = b->length();
  const unsigned long searchStart = matchPosition_ + matchLength_;
  Length at = IBuffer::notFound;
  if (pattern && patternLength > 0 && patternLength <= n && searchStart <= n) {
    // The search start is the end of a match (or the start), so a character boundary.
    at = b->find(pattern, Length(patternLength), Length(searchStart - 1), true);
  }
  if (at != IBuffer::notFound) {
    distribute(Length(searchStart - 1), at);
    matchPosition_ = at + 1UL;
    matchLength_ = patternLength;
    position_ = matchPosition_ + matchLength_;
  } else {
    matchPosition_ = n + 1UL;
    matchLength_ = 0;
    position_ = matchPosition_;
  }
  waiting_.clear();
  lastTarget_ = nullptr;
}

IStringScanner& IStringScanner::operator>>(const char* pattern) {
  scanPattern(pattern, pattern ? std::strlen(pattern) : 0);
  return *this;
}

IStringScanner& IStringScanner::operator>>(const IString& pattern) {
  // The pattern may be one of the waiting targets: keep its text alive while it is used.
  const IString kept(pattern);
  scanPattern(kept.c_str(), kept.length());
  return *this;
}
