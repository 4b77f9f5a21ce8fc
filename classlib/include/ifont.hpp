// IFont: a font as a value: face name, point size and the bold attribute.
#ifndef IFONT_HPP
#define IFONT_HPP

#include "istring.hpp"

// Fonts are values: a copy changes neither the original nor the windows that were given it.
// The face is matched by the platform (GDI, fontconfig); a trailing style word of the name
// ("Arial Bold") asks for that weight. A face that is not installed falls back to the default
// user-interface font: making a font never fails.
class IFont {
public:
  // The library's default user-interface font.
  IFont() : pointSize_(defaultPointSize) {}
  // An empty or null name is the default face.
  explicit IFont(const char* name, unsigned long pointSize = defaultPointSize)
      : name_(name != nullptr ? name : ""), pointSize_(pointSize) {}

  static const unsigned long defaultPointSize = 9;

  // The face name as given; empty for the default face.
  const IString& name() const noexcept { return name_; }
  bool isDefaultFace() const noexcept { return name_.isEmpty(); }
  unsigned long pointSize() const noexcept { return pointSize_; }
  bool isBold() const noexcept { return bold_; }

  IFont& setName(const char* name) {
    name_ = name != nullptr ? name : "";
    return *this;
  }
  IFont& setPointSize(unsigned long pointSize) {
    pointSize_ = pointSize;
    return *this;
  }
  IFont& setBold(bool bold = true) {
    bold_ = bold;
    return *this;
  }

  // Height in pixels of pointSize at density pixels per inch (a point is 1/72 inch), rounded.
  static long pixelsFor(unsigned long pointSize, long density) noexcept {
    return static_cast<long>((pointSize * density * 2 + 72) / 144);
  }

  bool operator==(const IFont& o) const {
    return name_ == o.name_ && pointSize_ == o.pointSize_ && bold_ == o.bold_;
  }
  bool operator!=(const IFont& o) const { return !(*this == o); }

private:
  IString name_;
  unsigned long pointSize_;
  bool bold_ = false;
};

#endif
