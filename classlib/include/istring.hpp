// IString: the class library's byte string with shared, counted, copy-on-write buffers.
#ifndef ISTRING_HPP
#define ISTRING_HPP

#include <cstdint>
#include <vector>

class IBuffer;
class IStringScanner;

// An IString is one pointer to the text of a counted buffer. The buffer's header (its kind,
// use count and length) lies directly in front of the text, so the pointer is also a valid
// terminated C string. Copies share the buffer; every non-const operation detaches first.
class IString {
public:
  // Lengths and positions are 32-bit counts whatever the platform's word size; positions are
  // 1-based, 0 means "none".
  typedef std::uint32_t Length;

  IString() noexcept;                      // the process-wide empty buffer, shared
  IString(const char* text);               // a copy of text; null gives the empty string
  IString(const char* text, unsigned long length); // the first length bytes of text; null: empty
  explicit IString(unsigned long n);       // decimal text ("%lu")
  explicit IString(long n);                // decimal text with a minus sign for negatives
  explicit IString(unsigned int n);
  explicit IString(int n);
  IString(const IString& other) noexcept;  // shares the buffer: no characters are copied
  IString(IString&& other) noexcept;
  IString& operator=(const IString& other) noexcept; // safe for self-assignment
  IString& operator=(IString&& other) noexcept;
  IString& operator=(const char* text);
  ~IString();

  // --- queries (never detach) -----------------------------------------------------------
  unsigned long length() const noexcept;
  bool isEmpty() const noexcept { return length() == 0; }
  operator const char*() const noexcept { return text_; }
  const char* c_str() const noexcept { return text_; }

  // A startPos of 0 counts as 1 everywhere. An empty or null pattern is never found.
  // In a double-byte process (see isDBCS) a match starts and ends on a character boundary, and
  // upperCase and the scanner keep double-byte characters whole; positions stay byte counts.

  // 1-based position of the first occurrence of pattern at or after startPos; 0 for none.
  unsigned long indexOf(const char* pattern, unsigned long startPos = 1) const;
  unsigned long indexOf(const IString& pattern, unsigned long startPos = 1) const;
  // Non-overlapping occurrences: after each match the search goes on behind it.
  unsigned long occurrencesOf(const char* pattern, unsigned long startPos = 1) const;
  unsigned long occurrencesOf(const IString& pattern, unsigned long startPos = 1) const;

  // The text from startPos to the end; empty when startPos is past the end.
  IString subString(unsigned long startPos) const;
  // Exactly length characters from startPos, padded with pad where the text ends.
  IString subString(unsigned long startPos, unsigned long length, char pad = ' ') const;

  // The exact fields between separators: occurrencesOf(separator) + 1 of them, blanks kept,
  // empty between adjacent separators. Same results as scanning
  // `remainder >> field >> separator >> rest` field by field, in linear time.
  std::vector<IString> fields(const char* separator) const;

  // --- changes in place (copy on write) ------------------------------------------------
  IString& upperCase();                    // lower-case letters of the current locale
  static constexpr unsigned long all = ~0UL;
  IString& remove(unsigned long startPos, unsigned long count = all);
  IString& operator+=(const IString& other);
  IString& operator+=(const char* text);

  // --- concatenation: one allocation for the result -----------------------------------
  friend IString operator+(const IString& a, const IString& b);
  friend IString operator+(const IString& a, const char* b);
  friend IString operator+(const char* a, const IString& b);

  // --- comparison: unsigned bytes, then length; every string is greater than null ------
  static int compare(const IString& a, const char* b, unsigned long bLength);
  friend bool operator==(const IString& a, const IString& b);
  friend bool operator==(const IString& a, const char* b);
  friend bool operator==(const char* a, const IString& b);
  friend bool operator!=(const IString& a, const IString& b);
  friend bool operator!=(const IString& a, const char* b);
  friend bool operator!=(const char* a, const IString& b);
  friend bool operator<(const IString& a, const IString& b);
  friend bool operator<(const IString& a, const char* b);
  friend bool operator<(const char* a, const IString& b);
  friend bool operator<=(const IString& a, const IString& b);
  friend bool operator<=(const IString& a, const char* b);
  friend bool operator<=(const char* a, const IString& b);
  friend bool operator>(const IString& a, const IString& b);
  friend bool operator>(const IString& a, const char* b);
  friend bool operator>(const char* a, const IString& b);
  friend bool operator>=(const IString& a, const IString& b);
  friend bool operator>=(const IString& a, const char* b);
  friend bool operator>=(const char* a, const IString& b);

  // --- scanning: `source >> target >> "pattern" >> rest` ------------------------------
  IStringScanner operator>>(IString& target) const;

  // Whether the process uses double-byte aware buffers (decided once, at first use).
  static bool isDBCS();

private:
  friend class IBuffer;
  friend class IStringScanner;
  struct Adopt {};
  IString(IBuffer* buffer, Adopt) noexcept; // takes over the caller's count on buffer
  IBuffer* buffer() const noexcept;
  void detach();                           // make the buffer private before a change
  // The n bytes from 0-based offset (within the text): shares the buffer when that is all of it.
  IString slice(Length offset, Length n) const;

  char* text_;
};

// The scanner of `source >> target >> pattern >> target ...`. It works on its own copy of the
// source and keeps the current position, the last pattern match and the targets waiting for the
// next pattern. Its two steps:
//  - `>> target`: when the previous step was a target too, that one first receives the next
//    blank-separated word (tab, line feed, vertical tab, form feed, carriage return, blank) and
//    the position moves behind the blank that ends it. Then target receives the rest of the
//    source from the position and waits for the next pattern.
//  - `>> pattern`: searched from the end of the last match. Found: the waiting targets share the
//    text between the search start and the match word by word (the last one takes the rest), and
//    the position moves behind the match. Not found: the match and the position go past the end
//    and the targets keep what they received. Either way no target waits any more.
class IStringScanner {
public:
  explicit IStringScanner(const IString& source);
  IStringScanner& operator>>(IString& target);
  IStringScanner& operator>>(const char* pattern);
  IStringScanner& operator>>(const IString& pattern);

private:
  typedef IString::Length Length;
  void scanPattern(const char* pattern, unsigned long patternLength);
  // Gives target the next word of the source's bytes [position, end) (0-based) and moves
  // position behind the blank that ends it, or to end when none does.
  void giveNextWord(IString& target, Length& position, Length end) const;
  // The waiting targets share the source's bytes [from, to) (0-based).
  void distribute(Length from, Length to);

  IString source_;
  unsigned long position_;        // current position, 1-based
  unsigned long matchPosition_;   // position of the last pattern match
  unsigned long matchLength_;     // length of the last pattern match
  std::vector<IString*> waiting_; // targets that wait for the next pattern
  IString* lastTarget_;           // the previous step's target; null after a pattern
};

#endif
