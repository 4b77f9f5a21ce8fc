// A frame's title made of its three pieces: each piece and its separator left out when empty.
#include "ititle.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Title, PiecesAndSeparatorsAreLeftOutWhenEmpty) {
  struct Case { const char* object; const char* view; const char* number; const char* title; } cases[] = {
      {"Quillet", "", "", "Quillet"},
      {"Quillet", "Tessaran", "", "Quillet - Tessaran"},
      {"Quillet", "Tessaran", "2", "Quillet - Tessaran: 2"},
      {"Quillet", "", "2", "Quillet: 2"},
      {"", "Tessaran", "2", "Tessaran: 2"},
      {"", "Tessaran", "", "Tessaran"},
      {"", "", "2", "2"},
      {"", "", "", ""},
      {" ", " ", " ", "  -  :  "}, // blanks are text: nothing is trimmed
  };
  for (const Case& c : cases)
    EXPECT_STREQ(ITitle::compose(c.object, c.view, c.number).c_str(), c.title)
        << "[" << c.object << "][" << c.view << "][" << c.number << "]";
}

} // namespace
