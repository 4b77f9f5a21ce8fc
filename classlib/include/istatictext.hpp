// IStaticText: a control that shows one text in a font, aligned in its rectangle.
#ifndef ISTATICTEXT_HPP
#define ISTATICTEXT_HPP

#include "iwindow.hpp"

// The control's window text is its text (tools and tests read it there).
class IStaticText : public IWindow {
public:
  enum Alignment {
    topLeft, topCenter, topRight,
    centerLeft, centerCenter, centerRight,
    bottomLeft, bottomCenter, bottomRight
  };

  IStaticText(unsigned long id, IWindow* parent, IWindow* owner,
              const IRectangle& initial = IRectangle());
  ~IStaticText() override;

  IString text() const override { return text_; }
  IStaticText& setText(const char* text);
  IStaticText& setText(unsigned long stringResourceId);
  IStaticText& setAlignment(Alignment alignment);
  Alignment alignment() const noexcept { return alignment_; }

  // The text's extent in the window's font, and a small margin around it.
  ISize minimumSize() const override;

private:
  IString text_;
  Alignment alignment_ = topLeft;
};

#endif
