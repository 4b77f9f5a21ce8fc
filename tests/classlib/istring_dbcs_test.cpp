// Double-byte strings, run with IDBCSTABLE="#~": '#' and '~' are lead bytes in this process,
// so "#a" is one character whose trail byte is 'a'.
#include "istring.hpp"
#include "istring_split.hpp"

#include "ibuffer.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

bool kindOf(const IString& s) {
  return IBuffer::fromText(const_cast<char*>(s.c_str()))->isDBCS();
}

} // namespace

TEST(IStringDBCS, TableFromTheEnvironmentMakesEveryBufferDoubleByte) {
  ASSERT_TRUE(IString::isDBCS());
  const IString a("abc");
  IString upper(a);
  upper.upperCase();
  for (const IString& s : {a + "x", "x" + a, a.subString(2), a.subString(2, 5), upper,
                           a.fields("b")[1], IString()}) {
    EXPECT_TRUE(kindOf(s)) << s.c_str();
  }
}

TEST(IStringDBCS, UpperCaseAndMatchesKeepCharactersWhole) {
  IString s("a#bc~d ~~e#");
  s.upperCase();
  EXPECT_EQ(s, "A#bC~d ~~E#"); // the last '#' has no trail: a character of its own

  EXPECT_EQ(IString("#a").indexOf("a"), 0u);     // 'a' is a trail byte here
  EXPECT_EQ(IString("#aa").indexOf("a"), 3u);
  EXPECT_EQ(IString("#aa").indexOf("a", 2), 3u); // startPos on a trail byte
  EXPECT_EQ(IString("##a").indexOf("#a"), 0u);   // "##" is a character; "#a" would start inside
  EXPECT_EQ(IString("a##a").indexOf("##"), 2u);
  EXPECT_EQ(IString("x#y").indexOf("x#"), 0u);   // would take half of "#y"
  EXPECT_EQ(IString("zx#").indexOf("x#"), 2u);   // a lone lead byte at the end is whole
  EXPECT_EQ(IString("#,a,b").occurrencesOf(","), 1u);
  EXPECT_EQ(IString("a~~b").occurrencesOf("~"), 0u);
}

TEST(IStringDBCS, ScannerAndFieldsNeverCutAtATrailByte) {
  IString a, b;
  IString("# x y") >> a >> b; // "# " is one character, not a blank
  EXPECT_EQ(a, "# x");
  EXPECT_EQ(b, "y");
  IString("~,x,y") >> a >> "," >> b;
  EXPECT_EQ(a, "~,x");
  EXPECT_EQ(b, "y");
  EXPECT_EQ(show(IString("#,a,b,~").fields(",")), "[#,a][b][~]");
  EXPECT_EQ(show(IString("a,#,").fields(",")), "[a][#,]");
}

TEST(IStringDBCS, RandomStringsSplitAlikeBothWays) {
  std::mt19937 random(7);
  const char alphabet[] = {'#', '~', ',', ',', ' ', 'a', 'b'};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = int(random() % 20);
    for (int i = 0; i < length; ++i) {
      text += alphabet[random() % sizeof alphabet];
    }
    const IString s(text.c_str());
    ASSERT_EQ(show(s.fields(",")), show(scannerSplit(s, ","))) << '"' << text << '"';
  }
}
