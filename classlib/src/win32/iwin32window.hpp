// The Win32 backend's shared window machinery: the window classes and procedure, the driver
// base that every kind of window builds on, GDI fonts and colours.
#ifndef IWIN32WINDOW_HPP
#define IWIN32WINDOW_HPP

#include <windows.h>

#include <memory>

#include "iexcept.hpp"
#include "iwindowdriver.hpp"

namespace IWin32 {

// The module whose copy of the library registers the window classes: quillet.exe and
// lanyard.dll each carry their own, and a class belongs to the module that registered it.
HINSTANCE thisModule();

inline HWND hwndOf(const IWindowHandle& handle) { return reinterpret_cast<HWND>(handle.asUnsigned()); }
inline IWindowHandle handleOf(HWND hwnd) {
  return IWindowHandle(reinterpret_cast<IWindowHandle::Value>(hwnd));
}
inline COLORREF colorRef(const IColor& color) {
  return RGB(color.redMix(), color.greenMix(), color.blueMix());
}

// The library's window classes, registered once per module on first use.
extern const char* const frameClass;
extern const char* const canvasClass;
extern const char* const staticTextClass;
extern const char* const infoAreaClass;
extern const char* const bitmapClass;
extern const char* const objectClass;
void registerClasses();

// A realised GDI font, shared by the windows that show it and deleted with its last user.
class Font {
public:
  explicit Font(HFONT handle) noexcept : handle_(handle) {}
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT handle() const noexcept { return handle_; }

private:
  HFONT handle_;
};
// The font for an IFont value (made once per value and kept while it is in use). Never fails:
// a face that is not installed is mapped by GDI to what it has.
std::shared_ptr<const Font> fontFor(const IFont& font);

// Receives the messages of a window of the library's classes (its driver).
class MessageTarget {
public:
  virtual ~MessageTarget() = default;
  virtual LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // The pointer this window asks for; 0 to leave it to its parent.
  virtual HCURSOR pointer() const noexcept = 0;
};
// The driver of one of the library's windows; null for other windows.
MessageTarget* targetOf(HWND hwnd);

// Where and how large a new window is (CW_USEDEFAULT allowed, as CreateWindowEx takes it).
struct Placement {
  int x, y, width, height;
};
inline Placement placementOf(const IRectangle& rect) {
  return Placement{static_cast<int>(rect.left()), static_cast<int>(rect.top()),
                   static_cast<int>(rect.width()), static_cast<int>(rect.height())};
}

// Creates a window whose messages go to target from WM_NCCREATE on (a child gets the window
// identifier id); raises the windowing error for CreateWindowEx when the platform refuses.
HWND createWindow(MessageTarget* target, DWORD exStyle, const char* className, const char* text,
                  DWORD style, const Placement& placement, HWND parent, unsigned long id,
                  const char* function, unsigned long line);

// Keeps an exception that a handler raised inside the window procedure until the loop (or the
// call that sent the message) is back in the library's own frames.
void keepPendingException();
void rethrowPendingException();

// Registers (table non-null) or forgets a frame's accelerator table for the message loop.
void setAccelerators(HWND frame, HACCEL table);

// What every kind of window shares: text, visibility, geometry, look, pointer and the messages
// all of them handle. Base is the contract's driver class that the kind implements.
template <class Base>
class Window : public Base, public MessageTarget {
public:
  ~Window() override {
    if (hwnd_ != nullptr) {
      // The window object is going: what the platform does from here on is not news to it.
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }

  // The platform sends the window messages from inside these calls: what a handler raised
  // there comes out at their end.
  void setText(const IString& text) override {
    SetWindowTextA(hwnd_, text);
    InvalidateRect(hwnd_, nullptr, TRUE);
    rethrowPendingException();
  }
  void show(bool visible) override {
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    rethrowPendingException();
  }
  void enable(bool enabled) override {
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    rethrowPendingException();
  }
  void setFocus() override {
    SetFocus(hwnd_);
    rethrowPendingException();
  }

  void moveSizeTo(const IRectangle& rect) override {
    // The portable window lays out after the move itself: no second layout from WM_SIZE.
    moving_ = true;
    SetWindowPos(hwnd_, nullptr, rect.left(), rect.top(), rect.width(), rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    moving_ = false;
    rethrowPendingException();
  }

  IRectangle rect() const override {
    RECT r;
    GetWindowRect(hwnd_, &r);
    if (HWND parent = (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd_) : nullptr)
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return IRectangle(r.left, r.top, r.right, r.bottom);
  }

  void setLook(const IWindowLook& look) override {
    font_ = fontFor(look.font);
    foreground_ = colorRef(look.foreground);
    background_ = colorRef(look.background);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  void setPointer(const IPointerHandle& pointer) override {
    pointer_ = reinterpret_cast<HCURSOR>(pointer.asUnsigned());
    showPointerNow(hwnd_);
  }

  void refresh(bool immediate) override {
    UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
    // UpdateWindow would paint this window alone; the children need RDW_ALLCHILDREN.
    if (immediate)
      flags |= RDW_UPDATENOW;
    RedrawWindow(hwnd_, nullptr, nullptr, flags);
    if (immediate) {
      // GDI may keep a thread's drawing calls in a batch until the thread next takes a
      // message; the caller is about to run no loop for a while.
      GdiFlush();
    }
    rethrowPendingException();
  }

  HCURSOR pointer() const noexcept override { return pointer_; }

  LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
    case WM_COMMAND:
      if (window_.dispatchCommand(LOWORD(wParam)))
        return 0;
      break;
    case WM_SYSCOMMAND:
      if (window_.dispatchSystemCommand(LOWORD(wParam)))
        return 0;
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd)
        if (HCURSOR shown = pointerFor(hwnd)) {
          SetCursor(shown);
          return TRUE;
        }
      break;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      fill(reinterpret_cast<HDC>(wParam), client, background_);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      paint(dc, client);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_ ? font_->handle() : nullptr);
    case WM_SIZE:
      if (!moving_ && created_ && wParam != SIZE_MINIMIZED)
        IWindowDriver::windowSized(window_);
      break;
    case WM_NCDESTROY:
      // A close, or the parent going: the window object stays, without its platform window.
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      destroyed(hwnd);
      IWindowDriver::windowGone(window_);
      break;
    default:
      break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  // The pointer shown over hwnd: its own or its nearest ancestor's among the library's windows;
  // 0 when none of them has one.
  static HCURSOR pointerFor(HWND hwnd) {
    for (HWND w = hwnd; w != nullptr; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
      if (MessageTarget* target = targetOf(w))
        if (HCURSOR shown = target->pointer())
          return shown;
    return nullptr;
  }

  // When the mouse is over window (or one of its children) now, shows the pointer that
  // WM_SETCURSOR would choose there, at once: the thread may run no loop for a while.
  static void showPointerNow(HWND window) {
    POINT at;
    if (!GetCursorPos(&at))
      return;
    HWND under = WindowFromPoint(at);
    if (under == nullptr || (under != window && !IsChild(window, under)))
      return;
    POINT local = at;
    RECT client;
    ScreenToClient(under, &local);
    GetClientRect(under, &client);
    if (!PtInRect(&client, local))
      return; // the frame's border and title bar keep the platform's pointers
    HCURSOR shown = pointerFor(under);
    if (shown == nullptr)
      shown = reinterpret_cast<HCURSOR>(GetClassLongPtrA(under, GCLP_HCURSOR));
    SetCursor(shown);
  }

protected:
  explicit Window(IWindow& window) : window_(window) {}

  // Creates the platform window (in the most derived constructor, so that its messages reach
  // the finished driver).
  void create(DWORD exStyle, const char* className, const char* text, DWORD style,
              const Placement& placement, HWND parent, const char* function, unsigned long line) {
    hwnd_ = createWindow(this, exStyle, className, text, style, placement, parent, window_.id(),
                         function, line);
    created_ = true;
    this->setHandle(handleOf(hwnd_));
  }

  // The client area's content above the background (which WM_ERASEBKGND paints).
  virtual void paint(HDC, const RECT&) {}
  // WM_NCDESTROY of hwnd, before the window hears of it.
  virtual void destroyed(HWND) {}

  static void fill(HDC dc, const RECT& rect, COLORREF color) {
    // ExtTextOut with an empty text fills with the background colour, without a brush to make.
    COLORREF old = SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
    SetBkColor(dc, old);
  }

  HWND hwnd() const noexcept { return hwnd_; }
  IWindow& window() const noexcept { return window_; }
  HFONT fontHandle() const noexcept { return font_ ? font_->handle() : nullptr; }
  COLORREF foreground() const noexcept { return foreground_; }
  COLORREF background() const noexcept { return background_; }

private:
  IWindow& window_;
  HWND hwnd_ = nullptr;
  bool created_ = false;
  bool moving_ = false;
  std::shared_ptr<const Font> font_;
  COLORREF foreground_ = RGB(0, 0, 0);
  COLORREF background_ = RGB(255, 255, 255);
  HCURSOR pointer_ = nullptr;
};

} // namespace IWin32

#endif
