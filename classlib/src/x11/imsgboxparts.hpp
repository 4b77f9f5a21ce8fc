// The parts of the X11 message box: its icon, its text and its buttons, each a child window of
// the box that paints itself when exposed (imsgboxpaint.hpp says where and in what colours).
#ifndef IMSGBOXPARTS_HPP
#define IMSGBOXPARTS_HPP

#include <X11/Xlib.h>
#include <X11/Xft/Xft.h>

#include <string>
#include <vector>

#include "icolor.hpp"
#include "igeometry.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace IMessageBoxParts {

// What the parts of a box share: the connection, the drawing helper, a GC for shapes and the
// fonts (the icon's letter has one of its own).
struct Tools {
  IX11::Connection& connection;
  IX11::Drawing& drawing;
  GC gc;
  IX11::Face font;
  IX11::Face glyphFont;
};

// One child window of the box; the box keeps the tools until its parts are gone.
class Part {
public:
  Part(Tools& tools, Window parent, const IRectangle& rect, const IColor& background, long events,
       const std::string& name, const char* instance, const char* className);
  virtual ~Part();
  Part(const Part&) = delete;
  Part& operator=(const Part&) = delete;

  Window window() const noexcept { return window_; }
  virtual void paint() = 0;

protected:
  Tools& tools_;
  Display* display_;
  Window window_;
  XftDraw* draw_;
  ISize size_;
};

// The icon of the box's kind: information, question, warning or error.
class IconPart : public Part {
public:
  IconPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& kind);
  void paint() override;

private:
  std::string kind_;
};

// The text, line by line; right-aligned lines for the right-to-left style flag.
class TextPart : public Part {
public:
  TextPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& text,
           std::vector<std::string> lines, long lineHeight, bool right);
  void paint() override;

private:
  std::vector<std::string> lines_;
  long lineHeight_;
  bool right_;
};

// A push button: its label, a border, and for the default (focused) one the focus mark. Its
// WM_CLASS instance says whether it is the default, for people's tools and the tests.
class ButtonPart : public Part {
public:
  ButtonPart(Tools& tools, Window parent, const IRectangle& rect, const std::string& label);

  void setDefault(bool isDefault);
  void setPressed(bool pressed) { pressed_ = pressed; }
  // Whether a point in the button's coordinates is on it (a release there presses it).
  bool contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < size_.width() && y < size_.height();
  }
  void paint() override;

private:
  std::string label_;
  bool isDefault_ = false, pressed_ = false;
};

} // namespace IMessageBoxParts

#endif
