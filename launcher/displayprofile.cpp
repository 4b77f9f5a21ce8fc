// DisplayProfile: measuring the display once and choosing the panel's fonts for its class.
#include "displayprofile.hpp"

#include "idevicecontext.hpp"
#include "iexcept.hpp"

namespace {
const unsigned long fontCount = 3;
const long largeWidth = 1024;
const long highDensity = 120, standardDensity = 90;
} // namespace

DisplayProfile::DisplayProfile() : fonts_(fontCount) {}

DisplayProfile::DisplayClass DisplayProfile::classify(long width, long density) {
  if (width >= largeWidth && density >= highDensity)
    return largeHighDensity;
  if (width >= largeWidth && density >= standardDensity)
    return largeStandardDensity;
  return other;
}

void DisplayProfile::measure(const IWindowHandle& window) {
  IDeviceContext context(window);
  density_ = static_cast<std::int32_t>(context.horizontalDensity());
  width_ = static_cast<std::int32_t>(context.horizontalResolution());
  switch (classify(width_, density_)) {
  case largeHighDensity:
    fonts_[textFontPosition - 1] = IFont("Times New Roman", 12);
    fonts_[labelFontPosition - 1] = IFont("Arial Bold", 10);
    break;
  case largeStandardDensity:
    fonts_[textFontPosition - 1] = IFont("Times New Roman", 14);
    fonts_[labelFontPosition - 1] = IFont("Arial Bold", 12);
    break;
  case other:
    break;
  }
}

IFont DisplayProfile::fontAt(unsigned long position) const {
  if (position < 1 || position > fonts_.size())
    raiseParameterCheck("position >= 1 && position <= 3",
                        IThrowLocation("displayprofile", "DisplayProfile::fontAt(unsigned long) const",
                                       __LINE__));
  return fonts_[position - 1];
}
