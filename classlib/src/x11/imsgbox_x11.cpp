// X11 backend of the message box: a modal dialog drawn by the library on a connection lent
// to it (its parts, icon, text and the button set, are in imsgboxparts_x11.cpp) with Xft's fonts
// or the server's core fonts, or the one-line form on standard error where nothing can be drawn
// (no display, no font).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "iexcept.hpp"
#include "imsgboxlogic.hpp"
#include "iwindow.hpp"
#include "iwindowdriver.hpp"
#include "x11/imsgboxpaint.hpp"
#include "x11/imsgboxparts.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace {

using IMessageBoxLogic::Layout;
using IMessageBoxParts::ButtonPart;
using IMessageBoxParts::Part;

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
    glyph.pixelSize = IMessageBoxPaint::Measures::glyphPixelSize;
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
    attributes.background_pixel = drawing_.pixel(IMessageBoxPaint::Colors::face);
    attributes.event_mask = KeyPressMask | StructureNotifyMask;
    top_ = XCreateWindow(d_, c_.root, static_cast<int>(box.left()), static_cast<int>(box.top()),
                         static_cast<unsigned>(box.width()), static_cast<unsigned>(box.height()), 0,
                         CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
                         &attributes);
    IX11::setName(c_, top_, title);
    IX11::setClass(c_, top_, "messagebox", "IMessageBox");
    setProperties(owner, box.width(), box.height());
    tools_.reset(new IMessageBoxParts::Tools{c_, drawing_, XCreateGC(d_, top_, 0, nullptr), font_, glyphFont_});

    if (layout_.icon != nullptr)
      add(new IMessageBoxParts::IconPart(*tools_, top_, geometry.icon, layout_.icon));
    add(new IMessageBoxParts::TextPart(*tools_, top_, geometry.text, text, std::move(lines), lineHeight,
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
        // (The connection served earlier boxes: only this box's window counts.)
        if (event.xclient.window == top_ && event.xclient.message_type == c_.atoms.wmProtocols &&
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
  std::unique_ptr<IMessageBoxParts::Tools> tools_;
  Window top_ = None;
  std::vector<std::unique_ptr<Part>> parts_;
  std::vector<ButtonPart*> buttons_; // among the parts
};

} // namespace

bool IMessageBoxPlatform::isOldNT() { return false; }

bool IMessageBoxPlatform::requestQueue(long) { return true; }

namespace {

// The boxes' own connections. One is lent to each box while it shows, and taken back, never
// closed: closing a display on which Xft drew leaves libXrender an entry for it (Xft's close
// hook frees its glyphs through libXrender after libXrender's own hook has gone, and that adds
// the display again, with extension codes that the close then frees). A later connection that
// is given the same address would be sent requests with whatever those codes have become:
// replies out of order, an abort in Xlib or a box that never shows. Lent connections also keep
// Xft's fonts between boxes. Boxes on several threads at once each get one of their own.
class BoxConnection {
public:
  BoxConnection() {
    std::lock_guard<std::mutex> hold(poolLock());
    std::vector<IX11::Connection*>& free = pool();
    if (!free.empty()) {
      connection_ = free.back();
      free.pop_back();
      return;
    }
    std::unique_ptr<IX11::Connection> made(new IX11::Connection());
    if (IX11::openPrivate(*made))
      connection_ = made.release();
  }
  ~BoxConnection() {
    if (connection_ == nullptr)
      return;
    std::lock_guard<std::mutex> hold(poolLock());
    try {
      pool().push_back(connection_);
    } catch (const std::bad_alloc&) {
      // Not kept for the next box: left open all the same, for the reason above.
    }
  }
  BoxConnection(const BoxConnection&) = delete;
  BoxConnection& operator=(const BoxConnection&) = delete;

  // Null when no display can be opened.
  IX11::Connection* get() const { return connection_; }

private:
  // Never destroyed: a box may be shown while the process ends.
  static std::mutex& poolLock() {
    static std::mutex* made = new std::mutex;
    return *made;
  }
  static std::vector<IX11::Connection*>& pool() {
    static std::vector<IX11::Connection*>* made = new std::vector<IX11::Connection*>;
    return *made;
  }

  IX11::Connection* connection_ = nullptr;
};

} // namespace

unsigned long IMessageBoxPlatform::show(IWindow* owner, const char* text, const char* title,
                                        std::uint32_t flags, unsigned long) {
  Layout layout = IMessageBoxLogic::layout(flags);
  if (layout.buttons.empty()) {
    errno = EINVAL; // a button set the platform does not have
    IMessageBoxLogic::raiseShowFailure();
  }
  BoxConnection lent;
  if (lent.get() == nullptr) {
    IMessageBoxLogic::writeUnshown(title, text);
    return IMessageBoxLogic::firstButtonResult(flags);
  }
  IX11::Connection& connection = *lent.get();
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
