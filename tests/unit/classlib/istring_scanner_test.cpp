// Tests of IStringScanner's two steps and of IString::fields against the scanner loop.
#include "istring.hpp"
#include "istring_split.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

TEST(IStringScanner, TwoTargetsInARowSplitWords) {
  IString a, b, c;
  // All six blanks separate; the position moves just behind the blank after a word, so
  // further blanks stay with the rest.
  IString("\t\n alpha\vbeta\f\r gamma  ") >> a >> b >> c;
  EXPECT_EQ(a, "alpha");
  EXPECT_EQ(b, "beta");
  EXPECT_EQ(c, "\r gamma  ");
  IString("one") >> a >> b >> c; // no blank follows: the word is the rest
  EXPECT_EQ(a, "one");
  EXPECT_EQ(b, "");
  IString("   ") >> a >> b; // only blanks remain: the word is empty
  EXPECT_EQ(a, "");
  EXPECT_EQ(b, "");
}

TEST(IStringScanner, PatternFoundOrNot) {
  IString a, b, c, d;
  // Found: the waiting targets share the text before the match word by word.
  IString("x y  z,tail") >> a >> b >> "," >> c;
  EXPECT_EQ(a, "x");
  EXPECT_EQ(b, "y  z");
  EXPECT_EQ(c, "tail");
  // The target step's word ran past the comma; only the text before the match is given out.
  IString("p,q r") >> a >> b >> "," >> c;
  EXPECT_EQ(a, "p");
  EXPECT_EQ(b, "");
  EXPECT_EQ(c, "q r");
  // Not found: the targets keep what the target steps gave them; the match goes past the end,
  // so a later pattern is not found either.
  IString("p q,r") >> a >> b >> ";" >> c >> "," >> d;
  EXPECT_EQ(a, "p");
  EXPECT_EQ(b, "q,r");
  EXPECT_EQ(c, "");
  EXPECT_EQ(d, "");
}

TEST(IStringScanner, PatternStepsEmptyTheWaitingList) {
  IString a, b, c, d;
  // After a pattern a single target is not word-split, and each search starts behind the
  // last match.
  IString("k1=v 1;k2=v 2") >> a >> "=" >> b >> ";" >> c >> "=" >> d;
  EXPECT_EQ(a, "k1");
  EXPECT_EQ(b, "v 1");
  EXPECT_EQ(c, "k2");
  EXPECT_EQ(d, "v 2");

  IString s("head::tail");
  const IString separator("::");
  s >> s >> separator >> d; // the scanner works on its own copy of the source
  EXPECT_EQ(s, "head");
  EXPECT_EQ(d, "tail");
}

TEST(IStringFields, EdgeCasesMatchTheScannerLoop) {
  struct Case { const char* text; const char* separator; const char* fields; };
  const Case cases[] = {
      {"a,,b", ",", "[a][][b]"},   {" a , b", ",", "[ a ][ b]"}, {"~CVersion", ",", "[~CVersion]"},
      {"", ",", "[]"},             {",", ",", "[][]"},           {",a", ",", "[][a]"},
      {"a,", ",", "[a][]"},        {",,,", ",", "[][][][]"},     {"a::b:::c", "::", "[a][b][:c]"},
      {"a,b", "", "[a,b]"},
  };
  for (const Case& c : cases) {
    const IString text(c.text);
    EXPECT_EQ(show(text.fields(c.separator)), c.fields) << '"' << c.text << '"';
    EXPECT_EQ(show(scannerSplit(text, c.separator)), c.fields) << '"' << c.text << '"';
  }
}

TEST(IStringFields, RandomStringsMatchTheScannerLoop) {
  std::mt19937 random(20240611);
  const char alphabet[] = {',', ',', ' ', '\t', 'a', ':', '\xe9'};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = int(random() % 24); i > 0; --i) {
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
