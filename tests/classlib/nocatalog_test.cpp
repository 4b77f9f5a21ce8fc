// Exceptions of a program that has no message catalog: built-in and fallback texts.
#include "iexcept.hpp"
#include "quietlogger.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

template <class F> std::string textOf(F raise) {
  try {
    raise();
  } catch (const IException& e) {
    return e.text(0) ? e.text(0) : "<no text>";
  }
  return "<nothing thrown>";
}

} // namespace

TEST(NoCatalog, BuiltInTextsAndTheFallbackText) {
  QuietLogger quiet;
  // The ends and the middle of the built-in range, and its neighbours.
  EXPECT_EQ(textOf([] { INotEmptyException::throwIt(370, "f", 1); }), "child already exists");
  EXPECT_EQ(textOf([] { INotEmptyException::throwIt(377, "f", 1); }), "invalid position");
  EXPECT_EQ(textOf([] { INotEmptyException::throwIt(384, "f", 1); }), "cyclic child attachment");
  EXPECT_EQ(textOf([] { IFullException::throwIt(369, "f", 1); }), "unknown exception text");
  EXPECT_EQ(textOf([] { IFullException::throwIt(385, "f", 1); }), "unknown exception text");

  EXPECT_EQ(textOf([] { raiseLibraryError(51, IThrowLocation("istring", nullptr, 1)); }),
            "Unable to load text from message file.");
  EXPECT_EQ(textOf([] { raiseParameterCheck("n < 10", IThrowLocation("f", nullptr, 1)); }),
            "Unable to load text from message file.");
}
