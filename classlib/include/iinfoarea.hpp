// IInfoArea: a one-line information area attached to a frame, below its client window.
#ifndef IINFOAREA_HPP
#define IINFOAREA_HPP

#include "iwindow.hpp"

class IFrameWindow;

// The area is an extension of the frame: outside the client window, as wide as the frame's
// client area, as high as one line of its font. Its window text is its text.
class IInfoArea : public IWindow {
public:
  enum Alignment { left = 0, centered = 1, right = 2 };

  explicit IInfoArea(IFrameWindow* frame);
  ~IInfoArea() override;

  IString text() const override { return text_; }
  IInfoArea& setText(const char* text);
  // The text's horizontal place in the line.
  IInfoArea& setAlignment(Alignment alignment);
  Alignment alignment() const noexcept { return alignment_; }
  // A border line that sets the area off from the client window above it.
  IInfoArea& enableBorder(bool on = true);
  bool hasBorder() const noexcept { return border_; }

  // As wide as its text, one line of its font high, with a margin.
  ISize minimumSize() const override;

protected:
  void lookChanged() override;

private:
  friend class IFrameWindow;
  void update();
  IFrameWindow* frame_;
  IString text_;
  Alignment alignment_ = left;
  bool border_ = false;
};

#endif
