// Tests of IStringScanner's two steps and of IString::fields against the scanner loop.
#include "istring.hpp"
#include "istring_split.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

TEST(IStringScanner, TargetThenPatternThenTarget) {
  IString element, rest;
  IString("left,right") >> element >> "," >> rest;
  EXPECT_EQ(element, "left");
  EXPECT_EQ(rest, "right");

  IString("no separator") >> element >> "," >> rest;
  EXPECT_EQ(element, "no separator"); // keeps what the target step gave it
  EXPECT_EQ(rest, "");                // the position is past the end

  IString(",") >> element >> "," >> rest;
  EXPECT_EQ(element, "");
  EXPECT_EQ(rest, "");
}

TEST(IStringScanner, TwoTargetsInARowSplitWords) {
  IString a, b, c;
  // The six blanks all separate; the position moves just behind the blank after a word, so
  // further blanks stay with the rest.
  IString("\t\n alpha\vbeta\f\r gamma  ") >> a >> b >> c;
  EXPECT_EQ(a, "alpha");
  EXPECT_EQ(b, "beta");
  EXPECT_EQ(c, "\r gamma  ");

  IString("one") >> a >> b >> c; // no blank follows: the word is the rest
  EXPECT_EQ(a, "one");
  EXPECT_EQ(b, "");
  EXPECT_EQ(c, "");

  IString("one   ") >> a >> b;
  EXPECT_EQ(a, "one");
  EXPECT_EQ(b, "  ");
  IString("   ") >> a >> b; // only blanks remain: the word is empty
  EXPECT_EQ(a, "");
  EXPECT_EQ(b, "");
}

TEST(IStringScanner, FoundPatternIsSharedWordByWordAmongWaitingTargets) {
  IString a, b, c;
  IString("x y  z,tail") >> a >> b >> "," >> c;
  EXPECT_EQ(a, "x");
  EXPECT_EQ(b, "y  z"); // the last waiting target takes the rest of the part before ","
  EXPECT_EQ(c, "tail");

  // The word of the target step ran past the comma; the pattern step gives out only the text
  // before the match.
  IString("p,q r") >> a >> b >> "," >> c;
  EXPECT_EQ(a, "p");
  EXPECT_EQ(b, "");
  EXPECT_EQ(c, "q r");

  // Not found: the targets keep what the target steps gave them.
  IString("p q r") >> a >> b >> ";" >> c;
  EXPECT_EQ(a, "p");
  EXPECT_EQ(b, "q r");
  EXPECT_EQ(c, "");
}

TEST(IStringScanner, PatternStepsEmptyTheWaitingListAndSearchFromTheLastMatch) {
  IString a, b, c, d;
  // After a pattern, a single target is not word-split: the list was emptied.
  IString("k1=v 1;k2=v 2") >> a >> "=" >> b >> ";" >> c >> "=" >> d;
  EXPECT_EQ(a, "k1");
  EXPECT_EQ(b, "v 1");
  EXPECT_EQ(c, "k2");
  EXPECT_EQ(d, "v 2");

  // A missing pattern puts the match past the end: later patterns are not found either.
  IString("a,b") >> a >> ";" >> b >> "," >> c;
  EXPECT_EQ(a, "a,b");
  EXPECT_EQ(b, "");
  EXPECT_EQ(c, "");

  // Multi-byte and IString patterns; a waiting target used as the pattern is read first.
  IString sep("::");
  const IString& constSep = sep;
  IString("x::y::z") >> a >> constSep >> b >> "::" >> c;
  EXPECT_EQ(a, "x");
  EXPECT_EQ(b, "y");
  EXPECT_EQ(c, "z");
}

TEST(IStringScanner, TargetMayBeTheSource) {
  IString s("head,tail"), rest;
  s >> s >> "," >> rest;
  EXPECT_EQ(s, "head");
  EXPECT_EQ(rest, "tail");
}

TEST(IStringFields, EdgeCasesMatchTheScannerLoop) {
  struct Case { const char* text; const char* fields; };
  const Case cases[] = {
      {"a,,b", "[a][][b]"},
      {" a , b", "[ a ][ b]"},
      {"~CVersion", "[~CVersion]"},
      {"", "[]"},
      {",", "[][]"},
      {",a", "[][a]"},
      {"a,", "[a][]"},
      {",,,", "[][][][]"},
      {"x,y,z", "[x][y][z]"},
      {" , ", "[ ][ ]"},
  };
  for (const Case& c : cases) {
    const IString text(c.text);
    EXPECT_EQ(show(text.fields(",")), c.fields) << '"' << c.text << '"';
    EXPECT_EQ(show(scannerSplit(text, ",")), c.fields) << '"' << c.text << '"';
  }
}

TEST(IStringFields, OtherSeparators) {
  EXPECT_EQ(show(IString("a::b:::c").fields("::")), "[a][b][:c]");
  EXPECT_EQ(show(scannerSplit("a::b:::c", "::")), "[a][b][:c]");
  EXPECT_EQ(show(IString("a,b").fields("")), "[a,b]");
  EXPECT_EQ(show(IString("a,b").fields(nullptr)), "[a,b]");
  EXPECT_EQ(show(scannerSplit("a,b", "")), "[a,b]");
  // A string without separator is returned shared, not copied.
  const IString whole("no comma here");
  EXPECT_EQ(whole.fields(",")[0].c_str(), whole.c_str());
}

TEST(IStringFields, RandomStringsMatchTheScannerLoop) {
  std::mt19937 random(20240611);
  const char alphabet[] = {',', ',', ' ', '\t', 'a', 'b', ':', '\xe9'};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = int(random() % 24);
    for (int i = 0; i < length; ++i) {
      text += alphabet[random() % sizeof alphabet];
    }
    const IString s(text.c_str());
    for (const char* separator : {",", "::", ", "}) {
      const std::vector<IString> fast = s.fields(separator);
      ASSERT_EQ(show(fast), show(scannerSplit(s, separator)))
          << '"' << text << "\" at \"" << separator << '"';
      ASSERT_EQ(fast.size(), s.occurrencesOf(separator) + 1);
    }
  }
}
