// IColor: a colour as its red, green and blue parts.
#ifndef ICOLOR_HPP
#define ICOLOR_HPP

#include <cstdint>

class IColor {
public:
  constexpr IColor(std::uint8_t red = 0, std::uint8_t green = 0, std::uint8_t blue = 0) noexcept
      : red_(red), green_(green), blue_(blue) {}
  constexpr std::uint8_t redMix() const noexcept { return red_; }
  constexpr std::uint8_t greenMix() const noexcept { return green_; }
  constexpr std::uint8_t blueMix() const noexcept { return blue_; }
  // 0x00RRGGBB.
  constexpr std::uint32_t asRGBLong() const noexcept {
    return (std::uint32_t(red_) << 16) | (std::uint32_t(green_) << 8) | blue_;
  }
  constexpr bool operator==(const IColor& o) const noexcept {
    return red_ == o.red_ && green_ == o.green_ && blue_ == o.blue_;
  }
  constexpr bool operator!=(const IColor& o) const noexcept { return !(*this == o); }

  static constexpr IColor white() noexcept { return IColor(255, 255, 255); }
  static constexpr IColor black() noexcept { return IColor(0, 0, 0); }
  static constexpr IColor red() noexcept { return IColor(255, 0, 0); }
  static constexpr IColor darkGray() noexcept { return IColor(128, 128, 128); }

private:
  std::uint8_t red_, green_, blue_;
};

#endif
