// The Win32 driver base that the frame, canvas and control drivers share: the window procedure,
// the platform window's making and end, and what every kind of window does.
#include "win32/iwin32window.hpp"

#include <exception>

namespace {

using IWin32::DriverBase;

// An exception must not unwind through user32's frames (the dispatcher is not built with our
// unwinder): the window procedure keeps it, and the library call that made the platform send
// the message (or the loop, after DispatchMessageA) rethrows it.
thread_local std::exception_ptr pendingException;

void keepPendingException() {
  if (!pendingException)
    pendingException = std::current_exception();
}

// The pointer shown over hwnd: its own or its nearest ancestor's among the library's windows;
// 0 when none of them has one.
HCURSOR pointerFor(HWND hwnd) {
  for (HWND w = hwnd; w != nullptr; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (DriverBase* driver = DriverBase::find(w))
      if (HCURSOR shown = driver->pointer())
        return shown;
  return nullptr;
}

// When the mouse is over window (or one of its children) now, shows the pointer that
// WM_SETCURSOR would choose there, at once: the thread may run no loop for a while.
void showPointerNow(HWND window) {
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

} // namespace

void IWin32::rethrowPendingException() {
  if (pendingException) {
    std::exception_ptr pending = pendingException;
    pendingException = nullptr;
    std::rethrow_exception(pending);
  }
}

// --- the window procedure ----------------------------------------------------------------------

LRESULT CALLBACK IWin32::DriverBase::procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (DriverBase* driver = find(hwnd))
      return driver->message(hwnd, msg, wParam, lParam);
    // The object window (and the desktop's stand-ins) have no driver: commands still reach
    // their handlers.
    if (msg == WM_COMMAND || msg == WM_SYSCOMMAND) {
      if (IWindow* window = IWindow::windowWithHandle(handleOf(hwnd))) {
        bool handled = msg == WM_COMMAND ? window->dispatchCommand(LOWORD(wParam))
                                         : window->dispatchSystemCommand(LOWORD(wParam));
        if (handled)
          return 0;
      }
    }
  } catch (...) {
    keepPendingException();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

IWin32::DriverBase* IWin32::DriverBase::find(HWND hwnd) {
  // Only this module's classes carry a driver in their user data (the other module's copy of
  // the library registers the same names with its own procedure).
  if (hwnd == nullptr || reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC)) != procedure)
    return nullptr;
  return reinterpret_cast<DriverBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT IWin32::DriverBase::message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_COMMAND:
    if (owner_.dispatchCommand(LOWORD(wParam)))
      return 0;
    break;
  case WM_SYSCOMMAND:
    if (owner_.dispatchSystemCommand(LOWORD(wParam)))
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
    return reinterpret_cast<LRESULT>(fontHandle());
  case WM_SIZE:
    if (!moving_ && created_ && wParam != SIZE_MINIMIZED)
      sized();
    break;
  case WM_NCDESTROY:
    // A close, or the parent going: the window object stays, without its platform window.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    gone();
    break;
  default:
    break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// --- making and destroying the platform window ---------------------------------------------------

void IWin32::DriverBase::create(DWORD exStyle, const char* className, const char* text,
                                DWORD style, const Placement& placement, HWND parent,
                                const char* function, unsigned long line) {
  registerClasses();
  rethrowPendingException(); // an earlier call's, not this window's
  // A child's menu handle is its identifier (GetDlgCtrlID); a top-level window has no menu.
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(owner_.id())) : nullptr;
  HWND hwnd = CreateWindowExA(exStyle, className, text, style, placement.x, placement.y,
                              placement.width, placement.height, parent, menu, thisModule(), this);
  if (hwnd == nullptr) {
    // A handler that failed while the window was made is the reason the platform gives up.
    rethrowPendingException();
    raiseWindowingError("CreateWindowEx", IThrowLocation("iwindow", function, line),
                        IException::outOfWindowResource);
  }
  if (pendingException) {
    // A handler failed while the window was made: the driver that would own it is not made.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    rethrowPendingException();
  }
  hwnd_ = hwnd;
  created_ = true;
  made();
}

IWin32::DriverBase::~DriverBase() {
  if (hwnd_ != nullptr) {
    // The window object is going: what the platform does from here on is not news to it.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

// --- the common operations -----------------------------------------------------------------------

void IWin32::DriverBase::setWindowText(const IString& text) {
  SetWindowTextA(hwnd_, text);
  InvalidateRect(hwnd_, nullptr, TRUE);
  rethrowPendingException();
}

void IWin32::DriverBase::showWindow(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  rethrowPendingException();
}

void IWin32::DriverBase::enableWindow(bool enabled) {
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  rethrowPendingException();
}

void IWin32::DriverBase::focusWindow() {
  SetFocus(hwnd_);
  rethrowPendingException();
}

void IWin32::DriverBase::moveSizeWindow(const IRectangle& rect) {
  // The portable window lays out after the move itself: no second layout from WM_SIZE.
  moving_ = true;
  SetWindowPos(hwnd_, nullptr, rect.left(), rect.top(), rect.width(), rect.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  moving_ = false;
  rethrowPendingException();
}

IRectangle IWin32::DriverBase::windowRect() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (HWND parent = (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd_) : nullptr)
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return IRectangle(r.left, r.top, r.right, r.bottom);
}

void IWin32::DriverBase::setWindowLook(const IWindowLook& look) {
  font_ = fontFor(look.font);
  foreground_ = colorRef(look.foreground);
  background_ = colorRef(look.background);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void IWin32::DriverBase::setWindowPointer(const IPointerHandle& pointer) {
  pointer_ = reinterpret_cast<HCURSOR>(pointer.asUnsigned());
  showPointerNow(hwnd_);
}

void IWin32::DriverBase::refreshWindow(bool immediate) {
  UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
  // UpdateWindow would paint this window alone; the children need RDW_ALLCHILDREN.
  if (immediate)
    flags |= RDW_UPDATENOW;
  RedrawWindow(hwnd_, nullptr, nullptr, flags);
  if (immediate) {
    // GDI may keep a thread's drawing calls in a batch until the thread next takes a message;
    // the caller is about to run no loop for a while.
    GdiFlush();
  }
  rethrowPendingException();
}

void IWin32::DriverBase::fill(HDC dc, const RECT& rect, COLORREF color) {
  // ExtTextOut with an empty text fills with the background colour, without a brush to make.
  COLORREF old = SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
  SetBkColor(dc, old);
}
