// Exceptions of a program that has no message catalog: built-in and fallback texts.
#include "iexcept.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

class QuietLogger : public IExceptionLogger {
public:
  void writeLine(const char*) override {}
};

class NoCatalog : public ::testing::Test {
protected:
  void SetUp() override { previous_ = IException::setLogger(&quiet_); }
  void TearDown() override { IException::setLogger(previous_); }

private:
  QuietLogger quiet_;
  IExceptionLogger* previous_ = nullptr;
};

template <class F> std::string textOf(F raise) {
  try {
    raise();
  } catch (const IException& e) {
    return e.text(0) ? e.text(0) : "<no text>";
  }
  return "<nothing thrown>";
}

} // namespace

TEST_F(NoCatalog, ThrowItUsesTheBuiltInTexts) {
  const char* const texts[] = {
      "child already exists",     "collection is empty",   "cursor not contained in collection",
      "cursor not for given collection", "cursor not for this collection", "identical collection",
      "invalid cursor",           "invalid position",      "invalid replacement",
      "key already exists",       "key not contained",     "collection is unbounded",
      "out of collection memory", "root already exists",   "cyclic child attachment",
  };
  for (unsigned long n = 370; n <= 384; ++n)
    EXPECT_EQ(textOf([n] { INotEmptyException::throwIt(n, "f", 1); }), texts[n - 370]) << n;
  EXPECT_EQ(textOf([] { IFullException::throwIt(369, "f", 1); }), "unknown exception text");
  EXPECT_EQ(textOf([] { IFullException::throwIt(385, "f", 1); }), "unknown exception text");
  EXPECT_EQ(textOf([] { IFullException::throwIt(0, "f", 1); }), "unknown exception text");
}

TEST_F(NoCatalog, LibraryErrorsAndChecksGetTheFallbackText) {
  EXPECT_EQ(textOf([] { raiseLibraryError(51, IThrowLocation("istring", nullptr, 1)); }),
            "Unable to load text from message file.");
  EXPECT_EQ(textOf([] { raiseParameterCheck("n < 10", IThrowLocation("f", nullptr, 1)); }),
            "Unable to load text from message file.");
  char text[64];
  EXPECT_FALSE(IMessageCatalogText(1, nullptr, 0, text, sizeof text));
  EXPECT_STREQ(text, "Unable to load text from message file.");
}
