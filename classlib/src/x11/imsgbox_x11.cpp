// X11 backend of the message box: a modal dialog drawn by the library on a connection of its
// own (icon, text, the button set), or the one-line form on standard error without a display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/Xft/Xft.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "iexcept.hpp"
#include "imsgboxlogic.hpp"
#include "iwindow.hpp"
#include "iwindowplatform.hpp"
#include "x11/ix11display.hpp"

namespace {

using IMessageBoxLogic::Layout;

const int kMargin = 12, kIconSize = 32, kIconGap = 12, kButtonGap = 8;
const int kMinButtonWidth = 75, kMinButtonHeight = 23;

// Cuts at line ends (a carriage return before one is dropped), then wraps each line at blanks
// to fit width; a word wider than the width is cut between characters.
std::vector<std::string> wrapText(Display* d, XftFont* font, const std::string& text, int width) {
  auto measure = [&](const std::string& s) {
    XGlyphInfo extents;
    XftTextExtentsUtf8(d, font, reinterpret_cast<const FcChar8*>(s.data()),
                       static_cast<int>(s.size()), &extents);
    return static_cast<int>(extents.xOff);
  };
  std::vector<std::string> result;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::string current;
    std::size_t pos = 0;
    while (pos <= line.size()) {
      std::size_t blank = line.find(' ', pos);
      std::string word = line.substr(pos, blank == std::string::npos ? std::string::npos : blank - pos);
      std::string candidate = current.empty() ? word : current + " " + word;
      if (measure(candidate) <= width || candidate.empty()) {
        current = candidate;
      } else {
        if (!current.empty())
          result.push_back(current);
        current.clear();
        // Cut an over-wide word at character boundaries.
        while (measure(word) > width && word.size() > 1) {
          // The longest head that fits, found by halving: a long unbroken text stays cheap.
          std::size_t fits = 1, tooLong = word.size();
          while (tooLong - fits > 1) {
            std::size_t middle = fits + (tooLong - fits) / 2;
            (measure(word.substr(0, middle)) <= width ? fits : tooLong) = middle;
          }
          // Never between the bytes of one character.
          while (fits > 1 && (static_cast<unsigned char>(word[fits]) & 0xC0) == 0x80)
            --fits;
          result.push_back(word.substr(0, fits));
          word.erase(0, fits);
        }
        current = word;
      }
      if (blank == std::string::npos)
        break;
      pos = blank + 1;
    }
    result.push_back(current);
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  return result;
}

class MessageDialog {
public:
  MessageDialog(IX11::Connection& c, const Layout& layout, std::uint32_t flags)
      : c_(c), d_(c.display), layout_(layout), flags_(flags), focus_(layout.defaultButton) {}

  ~MessageDialog() {
    for (XftDraw* draw : draws_)
      if (draw != nullptr)
        XftDrawDestroy(draw);
    Visual* visual = DefaultVisual(d_, c_.screen);
    Colormap map = DefaultColormap(d_, c_.screen);
    if (blackMade_)
      XftColorFree(d_, visual, map, &black_);
    if (whiteMade_)
      XftColorFree(d_, visual, map, &white_);
    if (gc_ != nullptr)
      XFreeGC(d_, gc_);
    if (bold_ != nullptr)
      XftFontClose(d_, bold_);
    if (font_ != nullptr)
      XftFontClose(d_, font_);
    if (top_ != None)
      XDestroyWindow(d_, top_);
    XFlush(d_);
  }

  bool openFonts() {
    font_ = XftFontOpenName(d_, c_.screen, "sans-serif:pixelsize=13");
    bold_ = XftFontOpenName(d_, c_.screen, "sans-serif:bold:pixelsize=22");
    return font_ != nullptr && bold_ != nullptr;
  }

  void build(IWindow* owner, const std::string& text, const std::string& title) {
    blackMade_ = makeColor(0, 0, 0, black_);
    whiteMade_ = makeColor(0xFFFF, 0xFFFF, 0xFFFF, white_);

    int screenWidth = DisplayWidth(d_, c_.screen), screenHeight = DisplayHeight(d_, c_.screen);
    int maxTextWidth = std::max(240, screenWidth * 5 / 8 - 100);
    lines_ = wrapText(d_, font_, text, maxTextWidth);
    int lineHeight = font_->ascent + font_->descent + 2;
    // A text taller than the screen is cut, so that the buttons stay within reach.
    std::size_t maxLines = static_cast<std::size_t>(std::max(1, (screenHeight - 160) / lineHeight));
    if (lines_.size() > maxLines) {
      lines_.resize(maxLines);
      lines_.back() += "\u2026";
    }
    int textWidth = 1;
    for (const std::string& line : lines_)
      textWidth = std::max(textWidth, measure(font_, line));
    int textHeight = std::max(1, static_cast<int>(lines_.size()) * lineHeight);

    int buttonWidth = kMinButtonWidth;
    for (const auto& button : layout_.buttons)
      buttonWidth = std::max(buttonWidth, measure(font_, button.label) + 24);
    int buttonHeight = std::max(kMinButtonHeight, font_->ascent + font_->descent + 10);
    int count = static_cast<int>(layout_.buttons.size());
    int rowWidth = count * buttonWidth + (count - 1) * kButtonGap;

    int iconWidth = layout_.icon != nullptr ? kIconSize + kIconGap : 0;
    int contentHeight = std::max(layout_.icon != nullptr ? kIconSize : 0, textHeight);
    int width = std::max(iconWidth + textWidth, rowWidth) + 2 * kMargin;
    width = std::max(width, 180);
    int height = kMargin + contentHeight + kMargin + buttonHeight + kMargin;

    unsigned long face = pixel(0xF0, 0xF0, 0xF0);
    top_ = makeWindow(c_.root, (screenWidth - width) / 2, (screenHeight - height) / 3, width,
                      height, face, KeyPressMask | StructureNotifyMask | ExposureMask);
    IX11::setName(c_, top_, title);
    IX11::setClass(c_, top_, "messagebox", "IMessageBox");
    setProperties(owner, width, height);

    gc_ = XCreateGC(d_, top_, 0, nullptr);

    int textLeft = kMargin;
    if (layout_.icon != nullptr) {
      icon_ = makeWindow(top_, kMargin, kMargin, kIconSize, kIconSize, face, ExposureMask);
      IX11::setName(c_, icon_, std::string("icon:") + layout_.icon);
      IX11::setClass(c_, icon_, "icon", "Static");
      textLeft += kIconSize + kIconGap;
    }
    int textTop = kMargin + (contentHeight - textHeight) / 2;
    label_ = makeWindow(top_, textLeft, textTop, textWidth, textHeight, face, ExposureMask);
    IX11::setName(c_, label_, text);
    IX11::setClass(c_, label_, "text", "Static");
    lineHeight_ = lineHeight;

    int x = (width - rowWidth) / 2, y = height - kMargin - buttonHeight;
    for (const auto& button : layout_.buttons) {
      Window w = makeWindow(top_, x, y, buttonWidth, buttonHeight, pixel(0xE1, 0xE1, 0xE1),
                            ExposureMask | ButtonPressMask | ButtonReleaseMask);
      IX11::setName(c_, w, button.label);
      buttons_.push_back(w);
      x += buttonWidth + kButtonGap;
    }
    markDefault();
    for (Window w : {top_, icon_, label_})
      draws_.push_back(w != None ? XftDrawCreate(d_, w, DefaultVisual(d_, c_.screen),
                                                 DefaultColormap(d_, c_.screen))
                                 : nullptr);
    for (Window w : buttons_)
      draws_.push_back(XftDrawCreate(d_, w, DefaultVisual(d_, c_.screen), DefaultColormap(d_, c_.screen)));
    XMapSubwindows(d_, top_);
    XMapRaised(d_, top_);
    XFlush(d_);
  }

  // The modal loop: returns the raw result of the button that ends the box, 0 when the box
  // was destroyed from outside.
  unsigned long run() {
    for (;;) {
      XEvent event;
      XNextEvent(d_, &event);
      switch (event.type) {
      case MapNotify:
        if (event.xmap.window == top_)
          XSetInputFocus(d_, top_, RevertToParent, CurrentTime);
        break;
      case Expose:
        if (event.xexpose.count == 0)
          paint(event.xexpose.window);
        break;
      case KeyPress:
        if (unsigned long result = key(event.xkey))
          return result;
        break;
      case ButtonPress:
        if (event.xbutton.button == Button1) {
          pressed_ = buttonIndex(event.xbutton.window);
          if (pressed_ >= 0) {
            setFocus(static_cast<std::size_t>(pressed_));
          }
        }
        break;
      case ButtonRelease:
        if (event.xbutton.button == Button1 && pressed_ >= 0) {
          int index = pressed_;
          pressed_ = -1;
          paintButton(static_cast<std::size_t>(index));
          XWindowAttributes a;
          XGetWindowAttributes(d_, buttons_[static_cast<std::size_t>(index)], &a);
          bool inside = event.xbutton.window == buttons_[static_cast<std::size_t>(index)] &&
                        event.xbutton.x >= 0 && event.xbutton.y >= 0 && event.xbutton.x < a.width &&
                        event.xbutton.y < a.height;
          if (inside)
            if (unsigned long result = activate(static_cast<std::size_t>(index)))
              return result;
        }
        break;
      case ClientMessage:
        if (event.xclient.message_type == c_.atoms.wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == c_.atoms.wmDeleteWindow &&
            layout_.escapeResult != 0)
          return layout_.escapeResult;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == top_) {
          top_ = None;
          return 0;
        }
        break;
      default:
        break;
      }
    }
  }

private:
  bool makeColor(unsigned short r, unsigned short g, unsigned short b, XftColor& color) {
    XRenderColor value = {r, g, b, 0xFFFF};
    return XftColorAllocValue(d_, DefaultVisual(d_, c_.screen), DefaultColormap(d_, c_.screen),
                              &value, &color) != 0;
  }

  unsigned long pixel(int r, int g, int b) {
    XColor color;
    color.red = static_cast<unsigned short>(r * 257);
    color.green = static_cast<unsigned short>(g * 257);
    color.blue = static_cast<unsigned short>(b * 257);
    color.flags = DoRed | DoGreen | DoBlue;
    if (!XAllocColor(d_, DefaultColormap(d_, c_.screen), &color))
      return (r + g + b) > 384 ? WhitePixel(d_, c_.screen) : BlackPixel(d_, c_.screen);
    return color.pixel;
  }

  int measure(XftFont* font, const std::string& s) const {
    XGlyphInfo extents;
    XftTextExtentsUtf8(d_, font, reinterpret_cast<const FcChar8*>(s.data()),
                       static_cast<int>(s.size()), &extents);
    return extents.xOff;
  }

  Window makeWindow(Window parent, int x, int y, int w, int h, unsigned long background, long events) {
    XSetWindowAttributes attributes;
    attributes.background_pixel = background;
    attributes.event_mask = events;
    return XCreateWindow(d_, parent, x, y, static_cast<unsigned>(std::max(1, w)),
                         static_cast<unsigned>(std::max(1, h)), 0, CopyFromParent, InputOutput,
                         CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  }

  void setProperties(IWindow* owner, int width, int height) {
    XSetWMProtocols(d_, top_, &c_.atoms.wmDeleteWindow, 1);
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
      hints->flags = PPosition | PMinSize | PMaxSize;
      hints->min_width = hints->max_width = width;
      hints->min_height = hints->max_height = height;
      XSetWMNormalHints(d_, top_, hints);
      XFree(hints);
    }
    XChangeProperty(d_, top_, c_.atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&c_.atoms.netWmWindowTypeDialog), 1);
    Atom states[2] = {c_.atoms.netWmStateModal, c_.atoms.netWmStateAbove};
    int stateCount = (flags_ & (IMessageBoxLogic::foregroundFlag | 0x1000)) ? 2 : 1;
    XChangeProperty(d_, top_, c_.atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(states), stateCount);
    long pid = static_cast<long>(getpid());
    XChangeProperty(d_, top_, c_.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);
    // Transient for a real owner only: the desktop and the object window own nothing visible.
    if (owner != nullptr && owner->handle().isValid() && owner != IWindow::desktopWindow() &&
        !IWindowPrivate::isObjectWindow(owner))
      XSetTransientForHint(d_, top_, static_cast<Window>(owner->handle().asUnsigned()));
  }

  // The default button is the focused one, as with Windows' push buttons; its WM_CLASS
  // instance says so, for people's tools and the tests.
  void markDefault() {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      IX11::setClass(c_, buttons_[i], i == focus_ ? "default" : "button", "Button");
  }

  void setFocus(std::size_t index) {
    std::size_t old = focus_;
    focus_ = index;
    markDefault();
    paintButton(old);
    paintButton(focus_);
    XFlush(d_);
  }

  int buttonIndex(Window w) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i] == w)
        return static_cast<int>(i);
    return -1;
  }

  // Help keeps the box open, as on Windows (there it sends WM_HELP to the owner).
  unsigned long activate(std::size_t index) const {
    unsigned long raw = layout_.buttons[index].raw;
    return raw == IMessageBoxLogic::rawHelp ? 0 : raw;
  }

  unsigned long key(XKeyEvent& event) {
    KeySym sym = XLookupKeysym(&event, 0);
    std::size_t count = buttons_.size();
    switch (sym) {
    case XK_Return: case XK_KP_Enter: case XK_space:
      return activate(focus_);
    case XK_Escape:
      return layout_.escapeResult;
    case XK_Tab: case XK_Right: case XK_Down:
      if (sym == XK_Tab && (event.state & ShiftMask))
        setFocus((focus_ + count - 1) % count);
      else
        setFocus((focus_ + 1) % count);
      return 0;
    case XK_ISO_Left_Tab: case XK_Left: case XK_Up:
      setFocus((focus_ + count - 1) % count);
      return 0;
    default:
      break;
    }
    // The mnemonics of Windows' labels: Abort, Retry, Ignore, Yes, No, Try Again, Continue.
    if (sym >= XK_a && sym <= XK_z) {
      char letter = static_cast<char>('A' + (sym - XK_a));
      for (std::size_t i = 0; i < count; ++i) {
        unsigned long raw = layout_.buttons[i].raw;
        bool hasMnemonic = raw != IMessageBoxLogic::rawOk && raw != IMessageBoxLogic::rawCancel &&
                           raw != IMessageBoxLogic::rawHelp;
        if (hasMnemonic && layout_.buttons[i].label[0] == letter)
          return raw;
      }
    }
    return 0;
  }

  void paint(Window w) {
    if (w == icon_)
      paintIcon();
    else if (w == label_)
      paintText();
    else if (buttonIndex(w) >= 0)
      paintButton(static_cast<std::size_t>(buttonIndex(w)));
    XFlush(d_);
  }

  XftDraw* drawFor(std::size_t slot) const { return slot < draws_.size() ? draws_[slot] : nullptr; }

  void paintText() {
    XftDraw* draw = drawFor(2);
    if (draw == nullptr)
      return;
    XWindowAttributes a;
    XGetWindowAttributes(d_, label_, &a);
    int y = font_->ascent + 1;
    for (const std::string& line : lines_) {
      int x = (flags_ & IMessageBoxLogic::rightFlag) ? a.width - measure(font_, line) : 0;
      XftDrawStringUtf8(draw, &black_, font_, x, y, reinterpret_cast<const FcChar8*>(line.data()),
                        static_cast<int>(line.size()));
      y += lineHeight_;
    }
  }

  void paintButton(std::size_t index) {
    if (index >= buttons_.size())
      return;
    Window w = buttons_[index];
    XftDraw* draw = drawFor(3 + index);
    XWindowAttributes a;
    XGetWindowAttributes(d_, w, &a);
    XClearWindow(d_, w);
    bool isDefault = index == focus_, isPressed = pressed_ == static_cast<int>(index);
    XSetForeground(d_, gc_, isDefault ? pixel(0x00, 0x78, 0xD7) : pixel(0xAD, 0xAD, 0xAD));
    XSetLineAttributes(d_, gc_, isDefault ? 2 : 1, LineSolid, CapButt, JoinMiter);
    int inset = isDefault ? 1 : 0;
    XDrawRectangle(d_, w, gc_, inset, inset, static_cast<unsigned>(a.width - 1 - 2 * inset),
                   static_cast<unsigned>(a.height - 1 - 2 * inset));
    if (isDefault) {
      // The focus mark: a dotted rectangle inside the border.
      XSetForeground(d_, gc_, pixel(0x40, 0x40, 0x40));
      XSetLineAttributes(d_, gc_, 1, LineOnOffDash, CapButt, JoinMiter);
      char dashes[2] = {1, 1};
      XSetDashes(d_, gc_, 0, dashes, 2);
      XDrawRectangle(d_, w, gc_, 4, 4, static_cast<unsigned>(a.width - 9), static_cast<unsigned>(a.height - 9));
      XSetLineAttributes(d_, gc_, 1, LineSolid, CapButt, JoinMiter);
    }
    if (draw != nullptr) {
      const std::string label = layout_.buttons[index].label;
      int shift = isPressed ? 1 : 0;
      int x = (a.width - measure(font_, label)) / 2 + shift;
      int y = (a.height + font_->ascent - font_->descent) / 2 + shift;
      XftDrawStringUtf8(draw, &black_, font_, x, y, reinterpret_cast<const FcChar8*>(label.data()),
                        static_cast<int>(label.size()));
    }
  }

  void glyph(const char* text, XftColor& color) {
    XftDraw* draw = drawFor(1);
    if (draw == nullptr)
      return;
    std::string s(text);
    int x = (kIconSize - measure(bold_, s)) / 2;
    int y = (kIconSize + bold_->ascent - bold_->descent) / 2;
    XftDrawStringUtf8(draw, &color, bold_, x, y, reinterpret_cast<const FcChar8*>(s.data()),
                      static_cast<int>(s.size()));
  }

  void paintIcon() {
    std::string kind = layout_.icon != nullptr ? layout_.icon : "";
    const unsigned size = kIconSize - 1;
    if (kind == "warning") {
      XPoint triangle[3] = {{kIconSize / 2, 1}, {kIconSize - 1, kIconSize - 2}, {0, kIconSize - 2}};
      XSetForeground(d_, gc_, pixel(0xF8, 0xC8, 0x00));
      XFillPolygon(d_, icon_, gc_, triangle, 3, Convex, CoordModeOrigin);
      XSetForeground(d_, gc_, pixel(0x80, 0x60, 0x00));
      XPoint outline[4] = {triangle[0], triangle[1], triangle[2], triangle[0]};
      XDrawLines(d_, icon_, gc_, outline, 4, CoordModeOrigin);
      glyph("!", black_);
      return;
    }
    unsigned long fill = kind == "error" ? pixel(0xD3, 0x2F, 0x2F) : pixel(0x1E, 0x5A, 0xC8);
    XSetForeground(d_, gc_, fill);
    XFillArc(d_, icon_, gc_, 0, 0, size, size, 0, 360 * 64);
    if (kind == "error") {
      XSetForeground(d_, gc_, WhitePixel(d_, c_.screen));
      XSetLineAttributes(d_, gc_, 4, LineSolid, CapRound, JoinRound);
      XDrawLine(d_, icon_, gc_, 10, 10, kIconSize - 11, kIconSize - 11);
      XDrawLine(d_, icon_, gc_, kIconSize - 11, 10, 10, kIconSize - 11);
      XSetLineAttributes(d_, gc_, 1, LineSolid, CapButt, JoinMiter);
    } else {
      glyph(kind == "question" ? "?" : "i", white_);
    }
  }

  IX11::Connection& c_;
  Display* d_;
  Layout layout_;
  std::uint32_t flags_;
  std::size_t focus_;
  int pressed_ = -1;
  XftFont* font_ = nullptr;
  XftFont* bold_ = nullptr;
  XftColor black_{}, white_{};
  bool blackMade_ = false, whiteMade_ = false;
  GC gc_ = nullptr;
  Window top_ = None, icon_ = None, label_ = None;
  std::vector<Window> buttons_;
  std::vector<XftDraw*> draws_; // top, icon, label, then the buttons
  std::vector<std::string> lines_;
  int lineHeight_ = 16;
};

} // namespace

bool IMessageBoxPlatform::isOldNT() { return false; }

bool IMessageBoxPlatform::requestQueue(long) { return true; }

unsigned long IMessageBoxPlatform::show(IWindow* owner, const char* text, const char* title,
                                        std::uint32_t flags, unsigned long) {
  Layout layout = IMessageBoxLogic::layout(flags);
  if (layout.buttons.empty()) {
    errno = EINVAL; // a button set the platform does not have
    IMessageBoxLogic::raiseShowFailure();
  }
  IX11::Connection connection{};
  if (!IX11::openPrivate(connection)) {
    std::fprintf(stderr, "%s: %s\n", title, text);
    std::fflush(stderr);
    return IMessageBoxLogic::firstButtonResult(flags);
  }
  // As on Windows, a box whose owner window does not exist is refused.
  if (owner != nullptr && owner->handle().isValid() && owner != IWindow::desktopWindow() &&
      !IWindowPrivate::isObjectWindow(owner)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection.display, static_cast<Window>(owner->handle().asUnsigned()),
                              &attributes)) {
      IX11::closePrivate(connection);
      errno = EINVAL;
      IMessageBoxLogic::raiseShowFailure();
    }
  }
  unsigned long result;
  {
    MessageDialog dialog(connection, layout, flags);
    if (!dialog.openFonts()) {
      IX11::closePrivate(connection);
      errno = ENOENT; // no font to draw with
      IMessageBoxLogic::raiseShowFailure();
    }
    dialog.build(owner, IX11::toUtf8(text), IX11::toUtf8(title));
    result = dialog.run();
  }
  IX11::closePrivate(connection);
  if (result == 0) {
    errno = ECANCELED;
    IMessageBoxLogic::raiseShowFailure();
  }
  return result;
}
