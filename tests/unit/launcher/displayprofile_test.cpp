// The display classes that choose the panel's fonts, and the profile's fonts before measuring.
#include "displayprofile.hpp"

#include <gtest/gtest.h>

#include "iexcept.hpp"
#include "quietlogger.hpp"

namespace {

TEST(DisplayProfile, ClassesByWidthThenDensity) {
  struct Case { long width, density; DisplayProfile::DisplayClass expected; } cases[] = {
      {1280, 96, DisplayProfile::largeStandardDensity},
      {1024, 120, DisplayProfile::largeHighDensity},
      {1023, 120, DisplayProfile::other},
      {1600, 72, DisplayProfile::other},
      {1024, 90, DisplayProfile::largeStandardDensity},
      {1024, 89, DisplayProfile::other},
      {3840, 192, DisplayProfile::largeHighDensity},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DisplayProfile::classify(c.width, c.density), c.expected) << c.width << " at " << c.density;
}

TEST(DisplayProfile, AnUnmeasuredProfileHasDefaultFontsAsCopies) {
  QuietLogger quiet;
  DisplayProfile profile;
  IFont text = profile.fontAt(DisplayProfile::textFontPosition);
  EXPECT_TRUE(text.isDefaultFace());
  text.setPointSize(24).setBold(true);
  EXPECT_EQ(profile.fontAt(DisplayProfile::textFontPosition), IFont());
  EXPECT_THROW(profile.fontAt(0), IException);
  EXPECT_THROW(profile.fontAt(4), IException);
}

} // namespace
