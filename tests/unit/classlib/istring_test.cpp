// Tests of IString: construction, sharing and copy on write, queries, changes, limits.
#include "istring.hpp"

#include "ibuffer.hpp"
#include "iexcept.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string str(const IString& s) { return std::string(s.c_str(), s.length()); }

IBuffer::Length useCount(const IString& s) {
  return IBuffer::fromText(const_cast<char*>(s.c_str()))->useCount();
}

} // namespace

TEST(IStringConstruction, EmptyFormsShareTheOneTerminatedEmptyBuffer) {
  IString byDefault;
  IString fromNull(static_cast<const char*>(nullptr));
  IString fromEmpty("");
  IString fromNullWithLength(nullptr, 5);
  IString fromZeroLength("abc", 0);
  for (const IString* s : {&byDefault, &fromNull, &fromEmpty, &fromNullWithLength,
                           &fromZeroLength}) {
    EXPECT_EQ(s->length(), 0u);
    EXPECT_EQ(s->c_str(), byDefault.c_str());
    EXPECT_EQ(*s->c_str(), '\0');
  }
}

TEST(IStringConstruction, TextIsCopiedAndKeepsEmbeddedZeros) {
  char text[] = "path";
  IString s(text);
  text[0] = 'X';
  EXPECT_EQ(str(s), "path");
  EXPECT_NE(s.c_str(), static_cast<const char*>(text));

  IString withZero("a\0b", 3);
  EXPECT_EQ(withZero.length(), 3u);
  EXPECT_EQ(str(withZero), std::string("a\0b", 3));
  EXPECT_EQ(withZero.c_str()[3], '\0');
}

TEST(IStringConstruction, Numbers) {
  EXPECT_EQ(IString(0UL), "0");
  EXPECT_EQ(IString(-5L), "-5");
  EXPECT_EQ(IString(ULONG_MAX), std::to_string(ULONG_MAX).c_str());
  EXPECT_EQ(IString(LONG_MIN), std::to_string(LONG_MIN).c_str());
  EXPECT_EQ(IString(0), "0"); // the int, not a null pointer
  EXPECT_EQ(IString(-12), "-12");
  EXPECT_EQ(IString(4000000000u), "4000000000");
}

TEST(IStringSharing, CopiesShareAndChangesDetach) {
  IString original("alpha");
  IString copy(original);
  IString assigned;
  assigned = original;
  EXPECT_EQ(copy.c_str(), original.c_str());
  EXPECT_EQ(assigned.c_str(), original.c_str());
  EXPECT_EQ(useCount(original), 3u);

  copy.upperCase();
  EXPECT_EQ(original, "alpha");
  EXPECT_EQ(copy, "ALPHA");
  assigned.remove(2);
  EXPECT_EQ(assigned, "a");
  EXPECT_EQ(original, "alpha");
  EXPECT_EQ(useCount(original), 1u);

  IString other(original);
  other += "bet";
  EXPECT_EQ(original, "alpha");
  EXPECT_EQ(other, "alphabet");

  {
    IString scoped(original);
    EXPECT_EQ(useCount(original), 2u);
  }
  EXPECT_EQ(useCount(original), 1u);
}

TEST(IStringSharing, UnsharedChangesStayInTheirBuffer) {
  IString s("mixed Case");
  const char* before = s.c_str();
  s.upperCase();
  EXPECT_EQ(s.c_str(), before);
  EXPECT_EQ(s, "MIXED CASE");
  s.remove(6, 1);
  EXPECT_EQ(s.c_str(), before);
  EXPECT_EQ(s, "MIXEDCASE");
}

TEST(IStringSharing, SelfAssignmentSelfAppendAndMove) {
  IString s("keep");
  const IString& same = s;
  s = same;
  EXPECT_EQ(s, "keep");
  EXPECT_EQ(useCount(s), 1u);

  s += same;
  EXPECT_EQ(s, "keepkeep");
  s = s + s;
  EXPECT_EQ(s, "keepkeepkeepkeep");

  IString moved(std::move(s));
  EXPECT_EQ(moved, "keepkeepkeepkeep");
  EXPECT_EQ(s.length(), 0u); // moved-from: the empty string, still usable
  s = "again";
  moved = std::move(s);
  EXPECT_EQ(moved, "again");
  moved = std::move(moved);
  EXPECT_EQ(moved, "again");
}

TEST(IStringSharing, CountsSurviveCopiesOnSeveralThreads) {
  const IString shared("shared between threads");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&shared] {
      for (int i = 0; i < 200000; ++i) {
        IString copy(shared);
        IString assigned;
        assigned = copy;
      }
    });
  }
  for (std::thread& t : threads) {
    t.join();
  }
  EXPECT_EQ(useCount(shared), 1u);
  EXPECT_EQ(shared, "shared between threads");
}

TEST(IStringCompare, UnsignedBytesThenLengthAndNullIsSmallest) {
  EXPECT_LT(IString("a"), IString("\x80"));   // 0x80 is above 'a' as an unsigned byte
  EXPECT_GT(IString("\xff"), "z");
  EXPECT_LT(IString("ab"), IString("abc"));    // prefix: the shorter is smaller
  EXPECT_GT(IString("b"), IString("abc"));
  EXPECT_EQ(IString("abc"), IString("abc"));
  EXPECT_NE(IString("abc"), IString("abd"));

  const char* null = nullptr;
  const IString empty;
  EXPECT_FALSE(empty == null);
  EXPECT_TRUE(empty != null);
  EXPECT_TRUE(empty > null);
  EXPECT_TRUE(null < empty);
  EXPECT_TRUE(IString("x") >= null);
  EXPECT_FALSE(IString("x") <= null);
  EXPECT_EQ(empty, "");

  // Between strings the length counts, not the first zero byte.
  const IString zeroA("a\0a", 3), zeroB("a\0b", 3);
  EXPECT_LT(zeroA, zeroB);
  EXPECT_NE(zeroA, IString("a"));
  EXPECT_GT(zeroA, IString("a"));
}

TEST(IStringCompare, OperatorsAgreeInBothArgumentOrders) {
  const char* words[] = {"", "a", "ab", "b", "\x80"};
  for (const char* x : words) {
    for (const char* y : words) {
      const IString a(x), b(y);
      const int expected =
          std::strcmp(x, y) < 0 ? -1 : std::strcmp(x, y) > 0 ? 1 : 0; // strcmp: unsigned too
      EXPECT_EQ(a == b, expected == 0) << x << " " << y;
      EXPECT_EQ(a < b, expected < 0);
      EXPECT_EQ(a <= y, expected <= 0);
      EXPECT_EQ(x > b, expected > 0);
      EXPECT_EQ(x >= b, expected >= 0);
      EXPECT_EQ(x != b, expected != 0);
      EXPECT_EQ(a > y, expected > 0);
    }
  }
}

TEST(IStringQuery, IndexOf) {
  const IString path("C:\\Java\\bin\\client\\jvm.dll");
  EXPECT_EQ(path.indexOf("jvm.dll"), 20u);
  EXPECT_EQ(IString("C:\\JAVA\\BIN\\JVM.DLL").indexOf("jvm.dll"), 0u);

  const IString s("abcabc");
  EXPECT_EQ(s.indexOf("bc"), 2u);
  EXPECT_EQ(s.indexOf("bc", 2), 2u);     // a match may begin at startPos
  EXPECT_EQ(s.indexOf("bc", 3), 5u);
  EXPECT_EQ(s.indexOf("bc", 6), 0u);
  EXPECT_EQ(s.indexOf("abc", 0), 1u);    // 0 counts as 1
  EXPECT_EQ(s.indexOf("c", 6), 6u);      // the last byte
  EXPECT_EQ(s.indexOf("c", 7), 0u);
  EXPECT_EQ(s.indexOf("abcabcx"), 0u);   // longer than the text
  EXPECT_EQ(s.indexOf(""), 0u);
  EXPECT_EQ(s.indexOf(static_cast<const char*>(nullptr)), 0u);
  EXPECT_EQ(IString().indexOf("a"), 0u);
  EXPECT_EQ(IString("a\0b", 3).indexOf(IString("\0b", 2)), 2u);
  EXPECT_EQ(IString("x\xe9y").indexOf("\xe9"), 2u);
}

TEST(IStringQuery, OccurrencesDoNotOverlap) {
  EXPECT_EQ(IString("aaaa").occurrencesOf("aa"), 2u);
  EXPECT_EQ(IString("aaaaa").occurrencesOf("aa"), 2u);
  EXPECT_EQ(IString("aaaa").occurrencesOf("aa", 2), 1u);
  EXPECT_EQ(IString(",a,,b,").occurrencesOf(","), 4u);
  EXPECT_EQ(IString("abc").occurrencesOf(""), 0u);
  EXPECT_EQ(IString("abc").occurrencesOf("abc", 2), 0u);
  EXPECT_EQ(IString().occurrencesOf(","), 0u);
}

TEST(IStringQuery, SubString) {
  const IString s("abcdef");
  EXPECT_EQ(s.subString(3), "cdef");
  EXPECT_EQ(s.subString(6), "f");
  EXPECT_EQ(s.subString(7), "");
  EXPECT_EQ(s.subString(0), "abcdef");
  EXPECT_EQ(s.subString(1).c_str(), s.c_str()); // the whole text is shared, not copied

  EXPECT_EQ(s.subString(2, 3), "bcd");
  EXPECT_EQ(s.subString(5, 4), "ef  ");
  EXPECT_EQ(s.subString(5, 4, '*'), "ef**");
  EXPECT_EQ(s.subString(9, 3, '.'), "...");
  EXPECT_EQ(s.subString(3, 0), "");
  EXPECT_EQ(IString().subString(1, 2, '-'), "--");
}

TEST(IStringChange, UpperCaseOnlyTheLocaleLetters) {
  IString s("abz AZ 09 {}`@ \xe4\xff");
  s.upperCase();
  EXPECT_EQ(s, "ABZ AZ 09 {}`@ \xe4\xff");
  IString empty;
  empty.upperCase();
  EXPECT_EQ(empty.length(), 0u);
}

TEST(IStringChange, Remove) {
  IString path("C:\\Program Files\\quillet.exe");
  path.remove(path.indexOf("quillet.exe"));
  EXPECT_EQ(path, "C:\\Program Files\\");

  struct Case { const char* text; unsigned long start, count; const char* result; };
  const Case cases[] = {
      {"abcdef", 2, 3, "aef"},
      {"abcdef", 0, 2, "cdef"},             // 0 counts as 1
      {"abcdef", 4, IString::all, "abc"},
      {"abcdef", 4, 100, "abc"},            // fewer remain than asked
      {"abcdef", 6, 1, "abcde"},
      {"abcdef", 7, 1, "abcdef"},           // past the end: unchanged
      {"abcdef", 1, 0, "abcdef"},
      {"abcdef", 1, IString::all, ""},
      {"", 1, 1, ""},
  };
  for (const Case& c : cases) {
    IString unshared(c.text);
    unshared.remove(c.start, c.count);
    EXPECT_EQ(unshared, c.result) << c.text << " " << c.start << " " << c.count;
    EXPECT_EQ(unshared.c_str()[unshared.length()], '\0');

    const IString original(c.text);
    IString shared(original);
    shared.remove(c.start, c.count);
    EXPECT_EQ(shared, c.result);
    EXPECT_EQ(original, c.text);
  }
}

TEST(IStringChange, Concatenation) {
  const IString a("java"), b("home");
  EXPECT_EQ(a + b, "javahome");
  EXPECT_EQ(a + "\\bin", "java\\bin");
  EXPECT_EQ("C:\\" + a, "C:\\java");
  EXPECT_EQ(a, "java");
  EXPECT_EQ(b, "home");
  EXPECT_EQ(a + static_cast<const char*>(nullptr), "java");
  EXPECT_EQ(static_cast<const char*>(nullptr) + a, "java");
  EXPECT_EQ(IString() + IString(), "");
  const IString withZero("x\0y", 3);
  EXPECT_EQ((withZero + withZero).length(), 6u);

  IString s;
  s += a;
  s += "/";
  s += static_cast<const char*>(nullptr);
  s += IString();
  EXPECT_EQ(s, "java/");
}

TEST(IStringLimits, OverflowingLengthRaisesLibraryError51) {
  auto expectOverflow = [](auto&& operation) {
    try {
      operation();
      ADD_FAILURE() << "no exception";
    } catch (const IInvalidRequest& e) {
      EXPECT_EQ(e.errorId(), 51u);
      EXPECT_TRUE(e.isRecoverable());
      EXPECT_STREQ(e.errorCodeGroup(), IEXC_GROUP_LIBRARY);
      ASSERT_EQ(e.locationCount(), 1u);
      EXPECT_STREQ(e.locationAtIndex(0)->fileName(), "ibuffer0");
      EXPECT_STREQ(e.locationAtIndex(0)->functionName(), "IBuffer::overflow()");
      EXPECT_EQ(e.locationAtIndex(0)->lineNumber(), 556u);
    }
  };
  expectOverflow([] { IBuffer::checkedLength(0xFFFFFFFFUL, 1); });
  expectOverflow([] { IBuffer::checkedLength(0x80000000UL, 0x7FFFFFFFUL, 1); });
  expectOverflow([] { IBuffer::checkedLength(1, 1, 0xFFFFFFFFUL); });
  EXPECT_EQ(IBuffer::checkedLength(0xFFFFFFFEUL, 1), 0xFFFFFFFFu);
  EXPECT_EQ(IBuffer::checkedLength(0x80000000UL, 0x7FFFFFFFUL, 0), 0xFFFFFFFFu);
  if (sizeof(unsigned long) > 4) {
    // Where unsigned long is 64-bit, a single part can be too long: checked before allocating.
    const unsigned long tooLong = static_cast<unsigned long>(IBuffer::maxLength) + 1;
    expectOverflow([tooLong] { IBuffer::checkedLength(tooLong); });
    expectOverflow([tooLong] { IString("ab").subString(1, tooLong); });
  }
}

TEST(IStringKind, SingleByteUnlessLeadBytesAreNamed) {
  const char* table = std::getenv("IDBCSTABLE");
  if (table && *table) {
    GTEST_SKIP() << "IDBCSTABLE is set in this environment";
  }
  EXPECT_FALSE(IString::isDBCS());
  EXPECT_FALSE(IBuffer::emptyBuffer()->isDBCS());
}
