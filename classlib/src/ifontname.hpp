// A font's face name read as a family with style words behind it ("Arial Bold", "Times New
// Roman Bold Italic"): the rule every backend follows before asking its platform for a face.
#ifndef IFONTNAME_HPP
#define IFONTNAME_HPP

#include <string>

namespace IFontName {

enum Slant { roman, italic, oblique };

struct Parts {
  std::string family; // the words before the style words, joined by single blanks
  int weight = 400;   // on the common 100 (thin) to 900 (black) scale of Windows and OpenType
  Slant slant = roman;
};

// Takes the style words (Thin, ExtraLight, Light, Regular, Medium, SemiBold, Bold, ExtraBold,
// Black, Italic, Oblique and their other spellings, in any case) off the end of name. Of two
// weights or two slants the last word wins: "Bold Light" is a light face.
Parts split(const char* name);

} // namespace IFontName

#endif
