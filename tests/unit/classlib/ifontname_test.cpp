// Face names read as family and style words, the rule both backends ask their platform with.
#include "ifontname.hpp"

#include <gtest/gtest.h>

namespace {

TEST(FontName, StyleWordsComeOffTheEnd) {
  struct Case { const char* name; const char* family; int weight; IFontName::Slant slant; } cases[] = {
      {"Arial Bold", "Arial", 700, IFontName::roman},
      {"Times New Roman", "Times New Roman", 400, IFontName::roman},
      {"Times New Roman Bold Italic", "Times New Roman", 700, IFontName::italic},
      {"  DejaVu Sans   light ", "DejaVu Sans", 300, IFontName::roman},
      {"Arial Black", "Arial", 900, IFontName::roman},
      {"Foo SemiBold Oblique", "Foo", 600, IFontName::oblique},
      {"Foo Bold Light", "Foo", 300, IFontName::roman}, // the last word wins
      {"Bold Foo", "Bold Foo", 400, IFontName::roman},  // only trailing words are styles
      {"Bold", "", 700, IFontName::roman},
      {"", "", 400, IFontName::roman},
      {nullptr, "", 400, IFontName::roman},
  };
  for (const Case& c : cases) {
    IFontName::Parts parts = IFontName::split(c.name);
    const char* name = c.name != nullptr ? c.name : "(null)";
    EXPECT_EQ(parts.family, c.family) << name;
    EXPECT_EQ(parts.weight, c.weight) << name;
    EXPECT_EQ(parts.slant, c.slant) << name;
  }
}

} // namespace
