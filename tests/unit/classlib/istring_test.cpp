// Tests of IString: construction, sharing and copy on write, queries, changes, limits.
#include "istring.hpp"

#include "ibuffer.hpp"
#include "iexcept.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

IBuffer::Length useCount(const IString& s) {
  return IBuffer::fromText(const_cast<char*>(s.c_str()))->useCount();
}

} // namespace

TEST(IString, ConstructionFromTextsAndNumbers) {
  const IString empty;
  for (const IString& s : {IString(static_cast<const char*>(nullptr)), IString(""),
                           IString(nullptr, 5)}) {
    EXPECT_EQ(s.c_str(), empty.c_str()); // the one shared empty buffer
  }
  char text[] = "path";
  const IString copied(text);
  text[0] = 'X';
  EXPECT_EQ(copied, "path");
  const IString withZero("a\0b", 3);
  EXPECT_EQ(std::string(withZero.c_str(), withZero.length()), std::string("a\0b", 3));
  EXPECT_EQ(withZero.c_str()[3], '\0');

  EXPECT_EQ(IString(0UL), "0");
  EXPECT_EQ(IString(-5L), "-5");
  EXPECT_EQ(IString(0), "0"); // the int, not a null pointer
  EXPECT_EQ(IString(4000000000u), "4000000000");
}

TEST(IString, CopiesShareUntilOneChanges) {
  IString original("alpha");
  IString copy(original), assigned, appended(original);
  assigned = original;
  EXPECT_EQ(copy.c_str(), original.c_str());
  EXPECT_EQ(useCount(original), 4u);

  copy.upperCase();
  assigned.remove(2);
  appended += "bet";
  EXPECT_EQ(copy, "ALPHA");
  EXPECT_EQ(assigned, "a");
  EXPECT_EQ(appended, "alphabet");
  EXPECT_EQ(original, "alpha");
  EXPECT_EQ(useCount(original), 1u);

  const IString& same = original;
  original = same;
  EXPECT_EQ(original, "alpha");
  original += same;
  EXPECT_EQ(original, "alphaalpha");
  IString moved(std::move(original));
  EXPECT_EQ(moved, "alphaalpha");
  EXPECT_EQ(original.length(), 0u); // moved-from: the empty string, still usable
}

TEST(IString, CountsSurviveCopiesOnSeveralThreads) {
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
}

TEST(IString, ComparisonUsesUnsignedBytesThenLengthAndNullIsSmallest) {
  EXPECT_LT(IString("a"), IString("\x80"));
  EXPECT_GT("\xff", IString("z"));
  EXPECT_LT(IString("ab"), "abc");
  EXPECT_GT(IString("b"), IString("abc"));
  EXPECT_LE("abc", IString("abc"));
  EXPECT_LT(IString("a\0a", 3), IString("a\0b", 3)); // the length counts, not the first zero
  EXPECT_GT(IString("a\0a", 3), "a");

  const char* null = nullptr;
  const IString empty;
  EXPECT_FALSE(empty == null);
  EXPECT_TRUE(empty != null);
  EXPECT_TRUE(empty > null);
  EXPECT_TRUE(null < empty);
  EXPECT_FALSE(IString("x") <= null);
  EXPECT_EQ(empty, "");
}

TEST(IString, IndexOfAndOccurrences) {
  EXPECT_EQ(IString("C:\\Java\\bin\\client\\jvm.dll").indexOf("jvm.dll"), 20u);
  EXPECT_EQ(IString("C:\\JAVA\\BIN\\JVM.DLL").indexOf("jvm.dll"), 0u);
  const IString s("abcabc");
  EXPECT_EQ(s.indexOf("bc", 2), 2u); // a match may begin at startPos
  EXPECT_EQ(s.indexOf("bc", 3), 5u);
  EXPECT_EQ(s.indexOf("abc", 0), 1u); // 0 counts as 1
  EXPECT_EQ(s.indexOf("c", 6), 6u);
  EXPECT_EQ(s.indexOf("c", 7), 0u);
  EXPECT_EQ(s.indexOf("abcabcx"), 0u);
  EXPECT_EQ(s.indexOf(""), 0u);
  EXPECT_EQ(IString("a\0b", 3).indexOf(IString("\0b", 2)), 2u);

  EXPECT_EQ(IString("aaaa").occurrencesOf("aa"), 2u);
  EXPECT_EQ(IString("aaaaa").occurrencesOf("aa", 2), 2u);
  EXPECT_EQ(IString(",a,,b,").occurrencesOf(","), 4u);
  EXPECT_EQ(IString("abc").occurrencesOf(""), 0u);
}

TEST(IString, SubStringPadsPastTheEnd) {
  const IString s("abcdef");
  EXPECT_EQ(s.subString(3), "cdef");
  EXPECT_EQ(s.subString(7), "");
  EXPECT_EQ(s.subString(1).c_str(), s.c_str()); // the whole text is shared
  EXPECT_EQ(s.subString(2, 3), "bcd");
  EXPECT_EQ(s.subString(5, 4), "ef  ");
  EXPECT_EQ(s.subString(9, 3, '.'), "...");
  EXPECT_EQ(s.subString(3, 0), "");
}

TEST(IString, UpperCaseOnlyTheLocaleLetters) {
  IString s("abz AZ 09 {}`@ \xe4\xff");
  s.upperCase();
  EXPECT_EQ(s, "ABZ AZ 09 {}`@ \xe4\xff");
}

TEST(IString, RemoveSharedOrNot) {
  struct Case { const char* text; unsigned long start, count; const char* result; };
  const Case cases[] = {
      {"abcdef", 2, 3, "aef"},     {"abcdef", 0, 2, "cdef"},          {"abcdef", 4, 100, "abc"},
      {"abcdef", 6, 1, "abcde"},   {"abcdef", 7, 1, "abcdef"},        {"abcdef", 1, 0, "abcdef"},
      {"", 1, 1, ""},              {"abcdef", 1, IString::all, ""},
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

TEST(IString, ConcatenationLeavesTheOperands) {
  const IString a("java"), b("home");
  EXPECT_EQ(a + b, "javahome");
  EXPECT_EQ(a + "\\bin", "java\\bin");
  EXPECT_EQ("C:\\" + a, "C:\\java");
  EXPECT_EQ(a + static_cast<const char*>(nullptr), "java");
  EXPECT_EQ(a, "java");
  EXPECT_EQ(b, "home");
  EXPECT_EQ((IString("x\0y", 3) + IString("x\0y", 3)).length(), 6u);
}

TEST(IString, OverflowingLengthRaisesLibraryError51) {
  auto expectOverflow = [](auto&& operation) {
    try {
      operation();
      ADD_FAILURE() << "no exception";
    } catch (const IInvalidRequest& e) {
      EXPECT_EQ(e.errorId(), 51u);
      EXPECT_TRUE(e.isRecoverable());
      ASSERT_EQ(e.locationCount(), 1u);
      EXPECT_STREQ(e.locationAtIndex(0)->fileName(), "ibuffer0");
      EXPECT_STREQ(e.locationAtIndex(0)->functionName(), "IBuffer::overflow()");
      EXPECT_EQ(e.locationAtIndex(0)->lineNumber(), 556u);
    }
  };
  expectOverflow([] { IBuffer::checkedLength(0xFFFFFFFFUL, 1); });
  expectOverflow([] { IBuffer::checkedLength(1, 1, 0xFFFFFFFFUL); });
  EXPECT_EQ(IBuffer::checkedLength(0x80000000UL, 0x7FFFFFFFUL), 0xFFFFFFFFu);
  if (sizeof(unsigned long) > 4) {
    // Where unsigned long is 64-bit a single part can be too long: checked before allocating.
    const unsigned long tooLong = static_cast<unsigned long>(IBuffer::maxLength) + 1;
    expectOverflow([tooLong] { IString("ab").subString(1, tooLong); });
  }
}

TEST(IString, SingleByteUnlessLeadBytesAreNamed) {
  const char* table = std::getenv("IDBCSTABLE");
  if (table && *table) {
    GTEST_SKIP() << "IDBCSTABLE is set in this environment";
  }
  EXPECT_FALSE(IString::isDBCS());
}
