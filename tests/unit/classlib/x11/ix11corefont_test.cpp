// The choice among the X server's core fonts, from XLFD names alone: what a server offers is
// ranked for a size, and "fixed" always comes last.
#include "x11/ix11corefont.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using IX11::coreFontCandidates;

// A bitmap font of the 75 dpi package and the scalable Type 1 faces, as such servers list them.
const std::string helvetica12 = "-adobe-helvetica-medium-r-normal--12-120-75-75-p-67-iso8859-1";
const std::string helvetica14 = "-adobe-helvetica-medium-r-normal--14-140-75-75-p-77-iso8859-1";
const std::string helvetica24 = "-adobe-helvetica-medium-r-normal--24-240-75-75-p-130-iso8859-1";
const std::string fixed13 = "-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso8859-1";
const std::string fixed13u = "-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso10646-1";
const std::string nimbusScalable = "-urw-nimbus sans l-regular-r-normal--0-0-0-0-p-0-iso8859-1";
const std::string timesScalable = "-adobe-times-medium-r-normal--0-0-0-0-p-0-iso8859-1";

TEST(CoreFontName, XlfdFieldsAndAliases) {
  IX11::CoreFontName f;
  ASSERT_TRUE(IX11::parseCoreFontName("-URW-Nimbus Sans L-Regular-R-Normal--0-0-0-0-P-0-ISO8859-1", f));
  EXPECT_EQ(f.family, "nimbus sans l");
  EXPECT_EQ(f.weight, "regular");
  EXPECT_EQ(f.pixelSize, 0);
  EXPECT_EQ(f.spacing, "p");
  EXPECT_EQ(f.registry + "-" + f.encoding, "iso8859-1");
  ASSERT_TRUE(IX11::parseCoreFontName(fixed13, f));
  EXPECT_EQ(f.pixelSize, 13);
  EXPECT_EQ(f.setWidth, "semicondensed");
  for (const char* other : {"fixed", "6x13", "", "-misc-fixed-medium-r", "-a-b-c-r-normal--x-0-0-0-p-0-iso8859-1",
                            "-a-b-c-r-normal--12-0-0-0-p-0-iso8859-1-extra"})
    EXPECT_FALSE(IX11::parseCoreFontName(other, f)) << other;
}

TEST(CoreFontChoice, NearSizeFirstThenSansThenNearerThenUnicode) {
  // A scalable sans-serif face is asked for at the very size.
  EXPECT_EQ(coreFontCandidates({fixed13, nimbusScalable, helvetica24}, 12, false).front(),
            "-urw-nimbus sans l-regular-r-normal--12-*-*-*-p-*-iso8859-1");
  // Among fonts near the size, sans-serif beats fixed-width even a pixel off...
  EXPECT_EQ(coreFontCandidates({fixed13, helvetica12}, 13, false),
            (std::vector<std::string>{helvetica12, fixed13, "fixed"}));
  // ...and another proportional face (serif) beats fixed-width too.
  EXPECT_EQ(coreFontCandidates({fixed13, timesScalable}, 13, false).front(),
            "-adobe-times-medium-r-normal--13-*-*-*-p-*-iso8859-1");
  // A font far from the size loses to any near one: 24 pixels for 13 is no match.
  EXPECT_EQ(coreFontCandidates({helvetica24, fixed13}, 13, false).front(), fixed13);
  // The nearer of two sizes; for a tie the one listed first.
  EXPECT_EQ(coreFontCandidates({helvetica12, helvetica14}, 14, false).front(), helvetica14);
  EXPECT_EQ(coreFontCandidates({helvetica12, helvetica14}, 13, false).front(), helvetica12);
  // Unicode before Latin-1 at the same size.
  EXPECT_EQ(coreFontCandidates({fixed13, fixed13u}, 13, false).front(), fixed13u);
}

TEST(CoreFontChoice, OnlyUprightNormalFontsInUnicodeOrLatin1OfTheWeight) {
  const std::vector<std::string> unusable = {
      "-adobe-helvetica-medium-o-normal--12-120-75-75-p-67-iso8859-1",   // oblique
      "-adobe-helvetica-medium-r-narrow--12-120-75-75-p-67-iso8859-1",   // narrow
      "-adobe-helvetica-medium-r-normal--12-120-75-75-p-67-iso8859-15",  // another character set
      "-urw-dingbats-regular-r-normal--0-0-0-0-p-0-adobe-fontspecific", // symbols
      "-adobe-helvetica-bold-r-normal--12-120-75-75-p-70-iso8859-1",     // bold, for regular text
      "6x13"};
  EXPECT_EQ(coreFontCandidates(unusable, 12, false), std::vector<std::string>{"fixed"});
  // Bold asks for a bold weight, and finds it.
  EXPECT_EQ(coreFontCandidates(unusable, 12, true).front(),
            "-adobe-helvetica-bold-r-normal--12-120-75-75-p-70-iso8859-1");
  EXPECT_EQ(coreFontCandidates({helvetica12}, 12, true), std::vector<std::string>{"fixed"});
}

TEST(CoreFontChoice, FixedComesLastAfterAtMostTheLimit) {
  EXPECT_EQ(coreFontCandidates({}, 12, false), std::vector<std::string>{"fixed"});
  // A size below one is taken as one; the same scalable face listed twice is tried once.
  EXPECT_EQ(coreFontCandidates({nimbusScalable, nimbusScalable}, 0, false),
            (std::vector<std::string>{"-urw-nimbus sans l-regular-r-normal--1-*-*-*-p-*-iso8859-1", "fixed"}));
  std::vector<std::string> many(10, fixed13);
  for (int size = 5; size < 15; ++size)
    many[static_cast<std::size_t>(size - 5)] =
        "-adobe-helvetica-medium-r-normal--" + std::to_string(size) + "-0-75-75-p-0-iso8859-1";
  std::vector<std::string> chosen = coreFontCandidates(many, 10, false, 3);
  ASSERT_EQ(chosen.size(), 4u);
  EXPECT_EQ(chosen[0], "-adobe-helvetica-medium-r-normal--10-0-75-75-p-0-iso8859-1");
  EXPECT_EQ(chosen[3], "fixed");
}

} // namespace
