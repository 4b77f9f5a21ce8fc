// Win32 frame windows: window styles from the frame styles, the client area and the frame
// around it, icons, the task-bar button and accelerators.
#include "win32/iwin32window.hpp"

namespace {

using namespace IWin32;

DWORD windowStyleFor(const IFrameWindow::Style& style) {
  // The frame's children paint themselves: the frame's background stays out of them.
  DWORD bits = WS_CLIPCHILDREN;
  // A top-level window without WS_POPUP always gets a caption.
  bits |= style.contains(IFrameWindow::titleBar) ? WS_CAPTION : WS_POPUP;
  if (style.contains(IFrameWindow::systemMenu))
    bits |= WS_SYSMENU;
  if (style.contains(IFrameWindow::border))
    bits |= WS_BORDER;
  if (style.contains(IFrameWindow::minimizeButton))
    bits |= WS_MINIMIZEBOX;
  if (style.contains(IFrameWindow::sizingBorder))
    bits |= WS_THICKFRAME | WS_MAXIMIZEBOX;
  return bits;
}

// The per-monitor-aware calls of Windows 10 (1607 and later), looked up so that the program
// still starts where user32 lacks them.
struct DpiCalls {
  typedef BOOL(WINAPI* AdjustWindowRectExForDpiCall)(RECT*, DWORD, BOOL, DWORD, UINT);
  typedef UINT(WINAPI* GetDpiForWindowCall)(HWND);
  AdjustWindowRectExForDpiCall adjustWindowRectExForDpi = nullptr;
  GetDpiForWindowCall getDpiForWindow = nullptr;
};

const DpiCalls& dpiCalls() {
  static const DpiCalls calls = [] {
    DpiCalls found;
    if (HMODULE user = GetModuleHandleA("user32.dll")) {
      found.adjustWindowRectExForDpi = reinterpret_cast<DpiCalls::AdjustWindowRectExForDpiCall>(
          reinterpret_cast<void (*)()>(GetProcAddress(user, "AdjustWindowRectExForDpi")));
      found.getDpiForWindow = reinterpret_cast<DpiCalls::GetDpiForWindowCall>(
          reinterpret_cast<void (*)()>(GetProcAddress(user, "GetDpiForWindow")));
    }
    return found;
  }();
  return calls;
}

class Win32FrameDriver : public Driver<IFrameDriver> {
public:
  Win32FrameDriver(IFrameWindow& frame, const IString& title, const IFrameWindow::Style& style,
                   const ISize& size)
      : Driver(frame) {
    DWORD bits = windowStyleFor(style);
    // CW_USEDEFAULT is for overlapped windows only; a popup frame starts at the origin.
    int origin = (bits & WS_POPUP) ? 0 : CW_USEDEFAULT;
    bool sized = size.width() > 0 && size.height() > 0;
    Placement placement{origin, origin, sized ? static_cast<int>(size.width()) : origin,
                        sized ? static_cast<int>(size.height()) : origin};
    create(WS_EX_APPWINDOW, frameClass, title, bits, placement, nullptr,
           "IFrameWindow::IFrameWindow(unsigned long,const Style&)", __LINE__);
  }

  ~Win32FrameDriver() override {
    if (hwnd() != nullptr)
      IWin32::setAccelerators(hwnd(), nullptr);
  }

  IRectangle clientArea() const override {
    RECT client;
    GetClientRect(hwnd(), &client);
    return IRectangle(0, 0, client.right, client.bottom);
  }

  IRectangle frameRectFor(const IRectangle& clientArea) const override {
    RECT r = {static_cast<LONG>(clientArea.left()), static_cast<LONG>(clientArea.top()),
              static_cast<LONG>(clientArea.right()), static_cast<LONG>(clientArea.bottom())};
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd(), GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd(), GWL_EXSTYLE));
    const DpiCalls& calls = dpiCalls();
    // A per-monitor-aware frame's border and title bar have the size of its monitor's density.
    if (calls.adjustWindowRectExForDpi != nullptr && calls.getDpiForWindow != nullptr)
      calls.adjustWindowRectExForDpi(&r, style, FALSE, exStyle, calls.getDpiForWindow(hwnd()));
    else
      AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return IRectangle(r.left, r.top, r.right, r.bottom);
  }

  void setIcon(const IPointerHandle& icon) override {
    LPARAM handle = static_cast<LPARAM>(icon.asUnsigned());
    // The title bar shows the small icon, Alt+Tab and the task bar the big one; the system
    // scales the one image to both.
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, handle);
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, handle);
    rethrowPendingException();
  }

  void removeFromTaskBar() override {
    HWND frame = hwnd();
    LONG exStyle = GetWindowLongA(frame, GWL_EXSTYLE);
    // Clearing WS_EX_APPWINDOW is not enough: the shell gives an unowned top-level window a
    // button whenever it is shown. WS_EX_TOOLWINDOW keeps the frame without one should it
    // ever be shown again.
    exStyle = (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    // The shell reads the styles when a window appears: a shown frame appears again.
    bool visible = IsWindowVisible(frame) != 0;
    if (visible)
      ShowWindow(frame, SW_HIDE);
    SetWindowLongA(frame, GWL_EXSTYLE, exStyle);
    SetWindowPos(frame, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible)
      ShowWindow(frame, SW_SHOWNA);
    rethrowPendingException();
  }

  void setAccelerators(const IAccelTblHandle& table) override {
    IWin32::setAccelerators(hwnd(), reinterpret_cast<HACCEL>(table.asUnsigned()));
  }

protected:
  LRESULT message(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) override {
    // The loop no longer translates keys for a frame that is gone.
    if (msg == WM_NCDESTROY)
      IWin32::setAccelerators(frame, nullptr);
    return Driver::message(frame, msg, wParam, lParam);
  }
};

} // namespace

std::unique_ptr<IFrameDriver> IWindowDriver::newFrame(IFrameWindow& frame, const IString& title,
                                                      const IFrameWindow::Style& style,
                                                      const ISize& size) {
  return std::unique_ptr<IFrameDriver>(new Win32FrameDriver(frame, title, style, size));
}
