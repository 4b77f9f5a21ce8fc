// IPoint, ISize and IRectangle: integer window geometry, in pixels.
#ifndef IGEOMETRY_HPP
#define IGEOMETRY_HPP

// A point; y grows downwards, as on the screen.
class IPoint {
public:
  constexpr IPoint(long x = 0, long y = 0) noexcept : x_(x), y_(y) {}
  constexpr long x() const noexcept { return x_; }
  constexpr long y() const noexcept { return y_; }
  constexpr bool operator==(const IPoint& o) const noexcept { return x_ == o.x_ && y_ == o.y_; }
  constexpr bool operator!=(const IPoint& o) const noexcept { return !(*this == o); }

private:
  long x_, y_;
};

class ISize {
public:
  constexpr ISize(long width = 0, long height = 0) noexcept : width_(width), height_(height) {}
  constexpr long width() const noexcept { return width_; }
  constexpr long height() const noexcept { return height_; }
  constexpr bool operator==(const ISize& o) const noexcept {
    return width_ == o.width_ && height_ == o.height_;
  }
  constexpr bool operator!=(const ISize& o) const noexcept { return !(*this == o); }

private:
  long width_, height_;
};

// The rectangle from (left, top) inclusive to (right, bottom) exclusive.
class IRectangle {
public:
  constexpr IRectangle() noexcept : left_(0), top_(0), right_(0), bottom_(0) {}
  constexpr IRectangle(long left, long top, long right, long bottom) noexcept
      : left_(left), top_(top), right_(right), bottom_(bottom) {}
  constexpr IRectangle(const IPoint& topLeft, const ISize& size) noexcept
      : left_(topLeft.x()), top_(topLeft.y()), right_(topLeft.x() + size.width()),
        bottom_(topLeft.y() + size.height()) {}

  constexpr long left() const noexcept { return left_; }
  constexpr long top() const noexcept { return top_; }
  constexpr long right() const noexcept { return right_; }
  constexpr long bottom() const noexcept { return bottom_; }
  constexpr long width() const noexcept { return right_ - left_; }
  constexpr long height() const noexcept { return bottom_ - top_; }
  constexpr IPoint topLeft() const noexcept { return IPoint(left_, top_); }
  constexpr ISize size() const noexcept { return ISize(width(), height()); }
  constexpr bool isEmpty() const noexcept { return width() <= 0 || height() <= 0; }

  // The same rectangle moved by (dx, dy); its size does not change.
  constexpr IRectangle movedBy(long dx, long dy) const noexcept {
    return IRectangle(left_ + dx, top_ + dy, right_ + dx, bottom_ + dy);
  }
  constexpr bool operator==(const IRectangle& o) const noexcept {
    return left_ == o.left_ && top_ == o.top_ && right_ == o.right_ && bottom_ == o.bottom_;
  }
  constexpr bool operator!=(const IRectangle& o) const noexcept { return !(*this == o); }

private:
  long left_, top_, right_, bottom_;
};

#endif
