// X11 backend of the message box: a modal dialog drawn by the library on a connection of its
// own (icon, text, the button set) with Xft's fonts or the server's core fonts, or the one-line
// form on standard error where nothing can be drawn (no display, no font).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/Xft/Xft.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "iexcept.hpp"
#include "imsgboxlogic.hpp"
#include "iwindow.hpp"
#include "iwindowdriver.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace {

using IMessageBoxLogic::Layout;

// The icon is drawn in its square (the box's layout puts it there).
const int kIconSize = static_cast<int>(IMessageBoxLogic::BoxMeasures::iconSize);
const IColor kFace(0xF0, 0xF0, 0xF0), kButtonFace(0xE1, 0xE1, 0xE1);

// What the parts of a box share: the connection, the drawing helper, a GC for shapes and the
// fonts.
struct BoxTools {
  IX11::Connection& connection;
  IX11::Drawing& drawing;
  GC gc;
  IX11::Face font;
  IX11::Face glyphFont;
};

// One child window of the box that paints itself when exposed.
class Part {
public:
  Part(BoxTools& tools, Window parent, const IRectangle& rect, const IColor& background, long events,
       const std::string& name, const char* instance, const char* className)
      : tools_(tools), display_(tools.connection.display), size_(rect.size()) {
    XSetWindowAttributes attributes;
    attributes.background_pixel = tools.drawing.pixel(background);
    attributes.event_mask = events;
    window_ = XCreateWindow(display_, parent, static_cast<int>(rect.left()), static_cast<int>(rect.top()),
                            static_cast<unsigned>(std::max(1L, rect.width())),
                            static_cast<unsigned>(std::max(1L, rect.height())), 0, CopyFromParent,
                            InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    IX11::setName(tools.connection, window_, name);
    IX11::setClass(tools.connection, window_, instance, className);
    draw_ = tools.drawing.createDraw(window_);
  }
  virtual ~Part() {
    if (draw_ != nullptr)
      XftDrawDestroy(draw_);
  }
  Part(const Part&) = delete;
  Part& operator=(const Part&) = delete;

  Window window() const noexcept { return window_; }
  virtual void paint() = 0;

protected:
  BoxTools& tools_;
  Display* display_;
  Window window_;
  XftDraw* draw_;
  ISize size_;
};

// The icon of the box's kind: information, question, warning or error.
class IconPart : public Part {
public:
  IconPart(BoxTools& tools, Window parent, const IRectangle& rect, const std::string& kind)
      : Part(tools, parent, rect, kFace, ExposureMask, "icon:" + kind, "icon", "Static"),
        kind_(kind) {}

  void paint() override {
    Display* d = display_;
    GC gc = tools_.gc;
    IX11::Drawing& drawing = tools_.drawing;
    const unsigned size = kIconSize - 1;
    if (kind_ == "warning") {
      XPoint triangle[3] = {{kIconSize / 2, 1}, {kIconSize - 1, kIconSize - 2}, {0, kIconSize - 2}};
      XSetForeground(d, gc, drawing.pixel(IColor(0xF8, 0xC8, 0x00)));
      XFillPolygon(d, window_, gc, triangle, 3, Convex, CoordModeOrigin);
      XSetForeground(d, gc, drawing.pixel(IColor(0x80, 0x60, 0x00)));
      XPoint outline[4] = {triangle[0], triangle[1], triangle[2], triangle[0]};
      XDrawLines(d, window_, gc, outline, 4, CoordModeOrigin);
      glyph("!", IColor::black());
      return;
    }
    bool error = kind_ == "error";
    XSetForeground(d, gc, drawing.pixel(error ? IColor(0xD3, 0x2F, 0x2F) : IColor(0x1E, 0x5A, 0xC8)));
    XFillArc(d, window_, gc, 0, 0, size, size, 0, 360 * 64);
    if (error) {
      XSetForeground(d, gc, drawing.pixel(IColor::white()));
      XSetLineAttributes(d, gc, 4, LineSolid, CapRound, JoinRound);
      XDrawLine(d, window_, gc, 10, 10, kIconSize - 11, kIconSize - 11);
      XDrawLine(d, window_, gc, kIconSize - 11, 10, 10, kIconSize - 11);
      XSetLineAttributes(d, gc, 1, LineSolid, CapButt, JoinMiter);
    } else {
      glyph(kind_ == "question" ? "?" : "i", IColor::white());
    }
  }

private:
  void glyph(const std::string& text, const IColor& color) {
    IX11::Face font = tools_.glyphFont;
    if (!font)
      return;
    long x = (kIconSize - tools_.drawing.textWidth(font, text)) / 2;
    long y = (kIconSize + font.ascent() - font.descent()) / 2;
    tools_.drawing.drawText(draw_, color, font, x, y, text, 0, kIconSize);
  }

  std::string kind_;
};

// The text, line by line; right-aligned lines for the right-to-left style flag.
class TextPart : public Part {
public:
  TextPart(BoxTools& tools, Window parent, const IRectangle& rect, const std::string& text,
           std::vector<std::string> lines, long lineHeight, bool right)
      : Part(tools, parent, rect, kFace, ExposureMask, text, "text", "Static"),
        lines_(std::move(lines)), lineHeight_(lineHeight), right_(right) {}

  void paint() override {
    IX11::Face font = tools_.font;
    long y = font.ascent() + 1;
    for (const std::string& line : lines_) {
      long x = right_ ? size_.width() - tools_.drawing.textWidth(font, line) : 0;
      tools_.drawing.drawText(draw_, IColor::black(), font, x, y, line, 0, size_.width());
      y += lineHeight_;
    }
  }

private:
  std::vector<std::string> lines_;
  long lineHeight_;
  bool right_;
};

// A push button: its label, a frame, and for the default (focused) one the focus marks. Its
// WM_CLASS instance says whether it is the default, for people's tools and the tests.
class ButtonPart : public Part {
public:
  ButtonPart(BoxTools& tools, Window parent, const IRectangle& rect, const std::string& label)
      : Part(tools, parent, rect, kButtonFace, ExposureMask | ButtonPressMask | ButtonReleaseMask,
             label, "button", "Button"),
        label_(label) {}

  void setDefault(bool isDefault) {
    isDefault_ = isDefault;
    IX11::setClass(tools_.connection, window_, isDefault ? "default" : "button", "Button");
  }
  void setPressed(bool pressed) { pressed_ = pressed; }
  bool contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < size_.width() && y < size_.height();
  }

  void paint() override {
    Display* d = display_;
    GC gc = tools_.gc;
    IX11::Drawing& drawing = tools_.drawing;
    XClearWindow(d, window_);
    int w = static_cast<int>(size_.width()), h = static_cast<int>(size_.height());
    XSetForeground(d, gc, drawing.pixel(isDefault_ ? IColor(0x00, 0x78, 0xD7) : IColor(0xAD, 0xAD, 0xAD)));
    XSetLineAttributes(d, gc, isDefault_ ? 2 : 1, LineSolid, CapButt, JoinMiter);
    int inset = isDefault_ ? 1 : 0;
    XDrawRectangle(d, window_, gc, inset, inset, static_cast<unsigned>(w - 1 - 2 * inset),
                   static_cast<unsigned>(h - 1 - 2 * inset));
    if (isDefault_) {
      // The focus mark: a dotted rectangle inside the border.
      XSetForeground(d, gc, drawing.pixel(IColor(0x40, 0x40, 0x40)));
      XSetLineAttributes(d, gc, 1, LineOnOffDash, CapButt, JoinMiter);
      char dashes[2] = {1, 1};
      XSetDashes(d, gc, 0, dashes, 2);
      XDrawRectangle(d, window_, gc, 4, 4, static_cast<unsigned>(w - 9), static_cast<unsigned>(h - 9));
      XSetLineAttributes(d, gc, 1, LineSolid, CapButt, JoinMiter);
    }
    IX11::Face font = tools_.font;
    int shift = pressed_ ? 1 : 0;
    long x = (w - drawing.textWidth(font, label_)) / 2 + shift;
    long y = (h + font.ascent() - font.descent()) / 2 + shift;
    drawing.drawText(draw_, IColor::black(), font, x, y, label_, 0, w);
  }

private:
  std::string label_;
  bool isDefault_ = false, pressed_ = false;
};

// The dialog: builds its parts, then runs its own modal loop on its private connection.
class MessageDialog {
public:
  MessageDialog(IX11::Connection& c, IX11::Drawing& drawing, const Layout& layout,
                std::uint32_t flags)
      : c_(c), d_(c.display), drawing_(drawing), layout_(layout), flags_(flags),
        focus_(layout.defaultButton) {}

  ~MessageDialog() {
    parts_.clear();
    buttons_.clear();
    if (tools_ && tools_->gc != nullptr)
      XFreeGC(d_, tools_->gc);
    if (top_ != None)
      XDestroyWindow(d_, top_);
    XFlush(d_);
  }

  // False when neither Xft nor the server has a font to write the text with. The icon's
  // letter is left out where no font for it opens: the shape still tells the kind.
  bool openFonts() {
    font_ = drawing_.face(IX11::fontRequest(IFont(), drawing_.density()));
    IX11::FontRequest glyph = IX11::fontRequest(IFont().setBold(), drawing_.density());
    glyph.pixelSize = 22; // fills the icon, whose size does not follow the density
    glyphFont_ = drawing_.face(glyph);
    return static_cast<bool>(font_);
  }

  void build(IWindow* owner, const std::string& text, const std::string& title) {
    const IRectangle screen = IX11::primaryMonitor(c_);
    const long lineHeight = IX11::Drawing::lineHeight(font_) + IMessageBoxLogic::BoxMeasures::lineSpacing;
    // No taller than the screen, so that the buttons stay on it.
    std::vector<std::string> lines = IMessageBoxLogic::wrap(
        text, IMessageBoxLogic::wrapWidth(screen.width()),
        IMessageBoxLogic::maxLines(screen.height(), lineHeight),
        [this](const std::string& s, std::size_t from, std::size_t to) {
          return drawing_.textWidth(font_, s, from, to);
        },
        IX11::Drawing::ellipsis(font_));
    IMessageBoxLogic::BoxContent content{lineHeight, lines.size(), 1, 0,
                                         IX11::Drawing::lineHeight(font_), layout_.buttons.size(),
                                         layout_.icon != nullptr};
    for (const std::string& line : lines)
      content.textWidth = std::max(content.textWidth, drawing_.textWidth(font_, line));
    for (const auto& button : layout_.buttons)
      content.labelWidth = std::max(content.labelWidth, drawing_.textWidth(font_, button.label));
    const IMessageBoxLogic::BoxGeometry geometry = IMessageBoxLogic::boxGeometry(screen, content);
    const IRectangle& box = geometry.box;

    XSetWindowAttributes attributes;
    attributes.background_pixel = drawing_.pixel(kFace);
    attributes.event_mask = KeyPressMask | StructureNotifyMask;
    top_ = XCreateWindow(d_, c_.root, static_cast<int>(box.left()), static_cast<int>(box.top()),
                         static_cast<unsigned>(box.width()), static_cast<unsigned>(box.height()), 0,
                         CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
                         &attributes);
    IX11::setName(c_, top_, title);
    IX11::setClass(c_, top_, "messagebox", "IMessageBox");
    setProperties(owner, box.width(), box.height());
    tools_.reset(new BoxTools{c_, drawing_, XCreateGC(d_, top_, 0, nullptr), font_, glyphFont_});

    if (layout_.icon != nullptr)
      add(new IconPart(*tools_, top_, geometry.icon, layout_.icon));
    add(new TextPart(*tools_, top_, geometry.text, text, std::move(lines), lineHeight,
                     (flags_ & IMessageBoxLogic::rightFlag) != 0));
    for (std::size_t i = 0; i < layout_.buttons.size(); ++i) {
      auto* part = new ButtonPart(*tools_, top_, geometry.buttons[i], layout_.buttons[i].label);
      add(part);
      buttons_.push_back(part);
    }
    markDefault();
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
          if (Part* part = partOf(event.xexpose.window)) {
            part->paint();
            XFlush(d_);
          }
        break;
      case KeyPress:
        if (unsigned long result = key(event.xkey))
          return result;
        break;
      case ButtonPress:
        if (event.xbutton.button == Button1) {
          pressed_ = buttonIndex(event.xbutton.window);
          if (pressed_ >= 0)
            setFocus(static_cast<std::size_t>(pressed_));
        }
        break;
      case ButtonRelease:
        if (event.xbutton.button == Button1 && pressed_ >= 0) {
          std::size_t index = static_cast<std::size_t>(pressed_);
          pressed_ = -1;
          buttons_[index]->setPressed(false);
          buttons_[index]->paint();
          if (event.xbutton.window == buttons_[index]->window() &&
              buttons_[index]->contains(event.xbutton.x, event.xbutton.y))
            if (unsigned long result = activate(index))
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
  void add(Part* part) { parts_.emplace_back(part); }

  Part* partOf(Window w) const {
    for (const auto& part : parts_)
      if (part->window() == w)
        return part.get();
    return nullptr;
  }

  void setProperties(IWindow* owner, long width, long height) {
    XSetWMProtocols(d_, top_, &c_.atoms.wmDeleteWindow, 1);
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
      hints->flags = PPosition | PMinSize | PMaxSize;
      hints->min_width = hints->max_width = static_cast<int>(width);
      hints->min_height = hints->max_height = static_cast<int>(height);
      XSetWMNormalHints(d_, top_, hints);
      XFree(hints);
    }
    XChangeProperty(d_, top_, c_.atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&c_.atoms.netWmWindowTypeDialog), 1);
    Atom states[2] = {c_.atoms.netWmStateModal, c_.atoms.netWmStateAbove};
    // Kept above other windows when it is to come to the front, or to stop the whole system.
    int stateCount =
        (flags_ & (IMessageBoxLogic::foregroundFlag | IMessageBoxLogic::styleSystemModal)) ? 2 : 1;
    XChangeProperty(d_, top_, c_.atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(states), stateCount);
    long pid = static_cast<long>(getpid());
    XChangeProperty(d_, top_, c_.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);
    if (IWindow* owning = IMessageBoxLogic::owningWindow(owner))
      XSetTransientForHint(d_, top_, static_cast<Window>(owning->handle().asUnsigned()));
  }

  // The default button is the focused one, as with Windows' push buttons.
  void markDefault() {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      buttons_[i]->setDefault(i == focus_);
  }

  void setFocus(std::size_t index) {
    std::size_t old = focus_;
    focus_ = index;
    markDefault();
    if (pressed_ >= 0)
      buttons_[static_cast<std::size_t>(pressed_)]->setPressed(true);
    buttons_[old]->paint();
    buttons_[focus_]->paint();
    XFlush(d_);
  }

  int buttonIndex(Window w) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i]->window() == w)
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

  IX11::Connection& c_;
  Display* d_;
  IX11::Drawing& drawing_;
  Layout layout_;
  std::uint32_t flags_;
  std::size_t focus_;
  int pressed_ = -1;
  IX11::Face font_;
  IX11::Face glyphFont_;
  std::unique_ptr<BoxTools> tools_;
  Window top_ = None;
  std::vector<std::unique_ptr<Part>> parts_;
  std::vector<ButtonPart*> buttons_; // among the parts
};

} // namespace

bool IMessageBoxPlatform::isOldNT() { return false; }

bool IMessageBoxPlatform::requestQueue(long) { return true; }

namespace {

// The box's private connection, closed however the box ends (after the drawing helper, which
// is made later and so goes first).
struct PrivateConnection {
  IX11::Connection connection{};
  bool open;
  PrivateConnection() : open(IX11::openPrivate(connection)) {}
  ~PrivateConnection() {
    if (open)
      IX11::closePrivate(connection);
  }
  PrivateConnection(const PrivateConnection&) = delete;
  PrivateConnection& operator=(const PrivateConnection&) = delete;
};

} // namespace

unsigned long IMessageBoxPlatform::show(IWindow* owner, const char* text, const char* title,
                                        std::uint32_t flags, unsigned long) {
  Layout layout = IMessageBoxLogic::layout(flags);
  if (layout.buttons.empty()) {
    errno = EINVAL; // a button set the platform does not have
    IMessageBoxLogic::raiseShowFailure();
  }
  PrivateConnection opened;
  if (!opened.open) {
    IMessageBoxLogic::writeUnshown(title, text);
    return IMessageBoxLogic::firstButtonResult(flags);
  }
  IX11::Connection& connection = opened.connection;
  // As on Windows, a box whose owner window does not exist is refused.
  if (IWindow* owning = IMessageBoxLogic::owningWindow(owner)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection.display, static_cast<Window>(owning->handle().asUnsigned()),
                              &attributes)) {
      errno = EINVAL;
      IMessageBoxLogic::raiseShowFailure();
    }
  }
  IX11::Drawing drawing(connection);
  MessageDialog dialog(connection, drawing, layout, flags);
  // Without any font (neither fontconfig's nor the server's) the box could show no word: the
  // message goes where it goes without a display.
  if (!dialog.openFonts()) {
    IMessageBoxLogic::writeUnshown(title, text);
    return IMessageBoxLogic::firstButtonResult(flags);
  }
  dialog.build(owner, IX11::toUtf8(text), IX11::toUtf8(title));
  unsigned long result = dialog.run();
  if (result == 0) {
    errno = ECANCELED; // the box was destroyed from outside
    IMessageBoxLogic::raiseShowFailure();
  }
  return result;
}
