// UTF-8 as the toolkit's texts reach the X11 backend and its portable layout rules: characters
// by their bytes (a stray byte standing for itself), and how many fit a width.
#ifndef IUTF8_HPP
#define IUTF8_HPP

#include <cstddef>
#include <cstdint>
#include <string>

namespace IUtf8 {

// The number of bytes of the character that starts at text[at] (1 for a stray byte).
inline std::size_t characterLength(const std::string& text, std::size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (at + length > text.size())
    return 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
      return 1;
  return length;
}

// The code point of the character that starts at text[at] (a stray byte as Latin-1).
inline std::uint32_t codePoint(const std::string& text, std::size_t at) {
  std::size_t length = characterLength(text, at);
  unsigned char lead = static_cast<unsigned char>(text[at]);
  if (length == 1)
    return lead;
  std::uint32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i)
    c = (c << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  return c;
}

// The byte length of the longest run of whole characters of text from `from` that is at most
// width wide, as measure(text, from, to) gives widths; at least one character while any is left.
template <class Measure>
std::size_t fittingLength(const std::string& text, std::size_t from, long width, Measure measure) {
  std::size_t end = from;
  long used = 0;
  while (end < text.size()) {
    const std::size_t length = characterLength(text, end);
    const long advance = measure(text, end, end + length);
    if (end > from && used + advance > width)
      break;
    used += advance;
    end += length;
  }
  return end - from;
}

} // namespace IUtf8

#endif
