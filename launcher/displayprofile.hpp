// DisplayProfile: the display's width and density, and the two fonts chosen for them.
#ifndef DISPLAYPROFILE_HPP
#define DISPLAYPROFILE_HPP

#include <cstdint>
#include <vector>

#include "ifont.hpp"
#include "ihandle.hpp"

class DisplayProfile {
public:
  // Rows of the display-class table, tested in this order.
  enum DisplayClass { largeHighDensity, largeStandardDensity, other };

  // Positions of the fonts in the list (counted from 1).
  static const unsigned long textFontPosition = 2;
  static const unsigned long labelFontPosition = 3;

  // An empty profile: every font is the default font.
  DisplayProfile();

  // Measures the display of window (the desktop) and chooses the fonts of its class; the class
  // "other" keeps the default fonts.
  void measure(const IWindowHandle& window);

  // A copy of the font at position (from 1); changing it changes neither the profile nor the
  // windows given it before.
  IFont fontAt(unsigned long position) const;

  std::int32_t density() const noexcept { return density_; }
  std::int32_t width() const noexcept { return width_; }

  // The class of a display width pixels wide with density pixels per inch.
  static DisplayClass classify(long width, long density);

private:
  std::int32_t density_ = 0;
  std::int32_t width_ = 0;
  std::vector<IFont> fonts_;
};

#endif
