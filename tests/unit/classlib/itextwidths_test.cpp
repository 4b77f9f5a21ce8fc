// The widths already measured: each text measured once per font, fonts kept apart, and a bound.
#include "itextwidths.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextWidths, EachTextIsMeasuredOncePerFont) {
  ITextWidths widths;
  int measured = 0;
  const int fontA = 0, fontB = 0;
  auto measure = [&](long width) { return [&measured, width] { ++measured; return width; }; };
  EXPECT_EQ(widths.width(&fontA, "Quillet", measure(70)), 70);
  EXPECT_EQ(widths.width(&fontA, "Quillet", measure(999)), 70); // from the cache
  EXPECT_EQ(widths.width(&fontB, "Quillet", measure(90)), 90);  // another font measures anew
  EXPECT_EQ(widths.width(&fontA, "Quillet ", measure(75)), 75); // another text too
  EXPECT_EQ(widths.width(&fontA, std::string("Qu\0illet", 8), measure(80)), 80);
  EXPECT_EQ(measured, 4);
  EXPECT_EQ(widths.size(), 4u);
}

TEST(TextWidths, AFullCacheStartsAgainEmptyAndStillAnswers) {
  ITextWidths widths(3);
  const int font = 0;
  for (int i = 0; i < 3; ++i)
    widths.width(&font, std::to_string(i), [i] { return static_cast<long>(i); });
  EXPECT_EQ(widths.size(), 3u);
  EXPECT_EQ(widths.width(&font, "new", [] { return 42L; }), 42);
  EXPECT_EQ(widths.size(), 1u);
  EXPECT_EQ(widths.width(&font, "0", [] { return 7L; }), 7); // measured again
}

} // namespace
