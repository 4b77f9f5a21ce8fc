// The layout of a message box that a backend draws itself: the text wrapped to a width, and the
// places of the icon, the text and the buttons.
#include "imsgboxlogic.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using namespace IMessageBoxLogic;

// Every character 10 pixels wide (a UTF-8 character counts once): what a fixed font measures.
long tenEach(const std::string& text, std::size_t from, std::size_t to) {
  long width = 0;
  for (std::size_t at = from; at < to && at < text.size(); ++at)
    width += (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80 ? 0 : 10;
  return width;
}

Lines wrapped(const std::string& text, long width, std::size_t maxLines = 100) {
  return wrap(text, width, maxLines, tenEach, "...");
}

TEST(MessageBoxWrap, AtBlanksLineEndsAndInsideOverWideWords) {
  struct Case { const char* text; long width; Lines lines; } cases[] = {
      {"one two three", 130, {"one two three"}},
      {"one two three", 129, {"one two", "three"}},
      {"one two three", 70, {"one two", "three"}},
      {"one two three", 69, {"one", "two", "three"}},
      {"first\nsecond\r\nthird", 1000, {"first", "second", "third"}},  // CR LF is a line end
      {"a\n\nb", 100, {"a", "", "b"}},                                  // an empty line stays
      {"abcdefghij", 30, {"abc", "def", "ghi", "j"}},                   // cut between characters
      {"x abcdefg", 30, {"x", "abc", "def", "g"}},
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 20, {"\xc3\xa9\xc3\xa9", "\xc3\xa9\xc3\xa9"}}, // never inside a character
      {"a  b", 100, {"a  b"}},                                          // blanks are kept between words
      {"", 100, {""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(wrapped(c.text, c.width), c.lines) << "[" << c.text << "] at " << c.width;
}

TEST(MessageBoxWrap, AtMostMaxLinesAndAnEllipsisWhenTheTextGoesOn) {
  EXPECT_EQ(wrapped("a b c d", 10, 2), Lines({"a", "b..."}));
  EXPECT_EQ(wrapped("a b", 10, 2), Lines({"a", "b"})); // exactly full: no ellipsis
  EXPECT_EQ(wrapped("1\n2\n3", 100, 1), Lines({"1..."}));
  // A word of 300,000 letters costs only the lines that are kept.
  EXPECT_EQ(wrapped(std::string(300000, 'x'), 100, 3),
            Lines({std::string(10, 'x'), std::string(10, 'x'), std::string(10, 'x') + "..."}));
}

TEST(MessageBoxLimits, TheTextsWidthAndLinesFollowTheScreen) {
  EXPECT_EQ(wrapWidth(1280), 700);  // five eighths less 100
  EXPECT_EQ(wrapWidth(400), 240);   // never narrower than 240
  EXPECT_EQ(maxLines(1024, 20), 43u);
  EXPECT_EQ(maxLines(100, 20), 1u); // always one line
  EXPECT_EQ(maxLines(1024, 0), 864u);
}

TEST(MessageBoxGeometry, PartsInTheirPlacesAndTheBoxCentredAThirdDown) {
  // Two lines of 300 pixels beside the icon, two buttons with labels of 40.
  BoxContent content{20, 2, 300, 40, 18, 2, true};
  BoxGeometry g = boxGeometry(IRectangle(0, 0, 1280, 1024), content);
  // Width: margin + icon 32 + gap 12 + text 300 + margin; height: margin + icon (taller than
  // the text's 40) + margin + button 28 + margin.
  EXPECT_EQ(g.box.size(), ISize(12 + 44 + 300 + 12, 12 + 40 + 12 + 28 + 12));
  EXPECT_EQ(g.box.left(), (1280 - 368) / 2);
  EXPECT_EQ(g.box.top(), (1024 - 104) / 3);
  EXPECT_EQ(g.icon, IRectangle(12, 12, 44, 44));
  EXPECT_EQ(g.text, IRectangle(IPoint(56, 12), ISize(300, 40)));
  ASSERT_EQ(g.buttons.size(), 2u);
  // Buttons at least 75 wide, 8 apart, centred in the box, on its last margin.
  const long row = 75 + 8 + 75;
  EXPECT_EQ(g.buttons[0], IRectangle(IPoint((368 - row) / 2, 104 - 12 - 28), ISize(75, 28)));
  EXPECT_EQ(g.buttons[1].left(), g.buttons[0].right() + 8);
}

TEST(MessageBoxGeometry, ShortTextCentredOnTheIconWideLabelsAndTheLeastWidth) {
  // One line shorter than the icon: centred on its height.
  BoxGeometry g = boxGeometry(IRectangle(0, 0, 800, 600), BoxContent{20, 1, 50, 10, 18, 1, true});
  EXPECT_EQ(g.text.top(), 12 + (32 - 20) / 2);
  EXPECT_EQ(g.box.width(), 180); // the least width of a box
  // No icon: the text starts at the margin; a wide label makes wide buttons.
  g = boxGeometry(IRectangle(1024, 0, 2304, 1024), BoxContent{20, 1, 50, 100, 18, 3, false});
  EXPECT_TRUE(g.icon.isEmpty());
  EXPECT_EQ(g.text.left(), 12);
  EXPECT_EQ(g.buttons[0].width(), 124);
  EXPECT_EQ(g.box.width(), 3 * 124 + 2 * 8 + 24);
  EXPECT_EQ(g.box.left(), 1024 + (1280 - g.box.width()) / 2); // on the screen it is given
}

} // namespace
