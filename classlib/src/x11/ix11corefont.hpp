// The choice among the X server's core fonts, for when Xft and fontconfig find none: rules
// over the fonts' XLFD names alone, so that they need no server.
#ifndef IX11COREFONT_HPP
#define IX11COREFONT_HPP

#include <string>
#include <vector>

namespace IX11 {

// The fields of an XLFD name that the choice reads.
struct CoreFontName {
  std::string foundry, family, weight, slant, setWidth, addStyle;
  long pixelSize; // 0 for a scalable font, which the server draws at any size
  std::string spacing, registry, encoding;
};
// False for a name that is no XLFD name (an alias such as "fixed" or "6x13").
bool parseCoreFontName(const std::string& name, CoreFontName& fields);

// The pattern that lists the fonts the choice can use (upright, of any family and size).
extern const char* const coreFontPattern;

// The core fonts to try for text of pixelSize pixels, best first, from the names the server
// lists; "fixed", which every server has, comes last. A font within a fifth of the size (and
// a scalable one, asked for at the size) beats any font further off; among those, a sans-serif
// face beats another proportional one, which beats a fixed-width one; then the nearer size
// wins, then Unicode (ISO 10646) over Latin-1. Only upright faces of normal width in those two
// character sets count; bold asks for a bold weight, otherwise a regular one. At most
// `limit` fonts come before "fixed".
std::vector<std::string> coreFontCandidates(const std::vector<std::string>& listed, long pixelSize,
                                            bool bold, std::size_t limit = 4);

} // namespace IX11

#endif
