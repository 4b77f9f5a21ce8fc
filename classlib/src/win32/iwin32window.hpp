// The Win32 side of every window of the toolkit: the window classes, the driver base that the
// frame, canvas and control drivers share with its window procedure, GDI fonts and colours.
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

// Where and how large a new window is (CW_USEDEFAULT allowed, as CreateWindowEx takes it).
struct Placement {
  int x, y, width, height;
};
inline Placement placementOf(const IRectangle& rect) {
  return Placement{static_cast<int>(rect.left()), static_cast<int>(rect.top()),
                   static_cast<int>(rect.width()), static_cast<int>(rect.height())};
}

// Rethrows an exception that a handler raised inside the window procedure, once the call that
// made the platform send the message (or the loop) is back in the library's own frames.
void rethrowPendingException();

// Registers (table non-null) or forgets a frame's accelerator table for the message loop.
void setAccelerators(HWND frame, HACCEL table);

// One window of the library's classes: the window procedure routes its messages to its driver,
// which keeps its look and pointer and handles the messages that every kind of window shares.
class DriverBase {
public:
  virtual ~DriverBase();

  HWND hwnd() const noexcept { return hwnd_; }
  IWindow& owner() const noexcept { return owner_; }
  // The pointer this window asks for; 0 to leave it to its parent.
  HCURSOR pointer() const noexcept { return pointer_; }

  // The driver of one of the library's windows; null for other windows.
  static DriverBase* find(HWND hwnd);
  // The procedure of the library's window classes.
  static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
  explicit DriverBase(IWindow& owner) : owner_(owner) {}

  // Creates the platform window, whose messages come here from WM_NCCREATE on (in the most
  // derived constructor, so that they reach the finished driver); raises the windowing error
  // for CreateWindowEx when the platform refuses.
  void create(DWORD exStyle, const char* className, const char* text, DWORD style,
              const Placement& placement, HWND parent, const char* function, unsigned long line);

  // A message of this window; a kind handles its own and passes the rest on to this one.
  virtual LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The client area's content above the background (which WM_ERASEBKGND paints).
  virtual void paint(HDC, const RECT&) {}

  // The common operations, forwarded by Driver below. The platform sends the window messages
  // from inside them: what a handler raised there comes out at their end.
  void setWindowText(const IString& text);
  void showWindow(bool visible);
  void enableWindow(bool enabled);
  void focusWindow();
  void moveSizeWindow(const IRectangle& rect);
  IRectangle windowRect() const;
  void setWindowLook(const IWindowLook& look);
  void setWindowPointer(const IPointerHandle& pointer);
  void refreshWindow(bool immediate);

  // What only the contract's driver may do (Driver implements them): take the platform window
  // just made as its handle, tell the window of a size the platform gave it, and that its
  // platform window is gone.
  virtual void made() = 0;
  virtual void sized() = 0;
  virtual void gone() = 0;

  static void fill(HDC dc, const RECT& rect, COLORREF color);

  HFONT fontHandle() const noexcept { return font_ ? font_->handle() : nullptr; }
  COLORREF foreground() const noexcept { return foreground_; }
  COLORREF background() const noexcept { return background_; }

private:
  DriverBase(const DriverBase&) = delete;
  DriverBase& operator=(const DriverBase&) = delete;

  IWindow& owner_;
  HWND hwnd_ = nullptr;
  bool created_ = false;
  bool moving_ = false;
  std::shared_ptr<const Font> font_;
  COLORREF foreground_ = RGB(0, 0, 0);
  COLORREF background_ = RGB(255, 255, 255);
  HCURSOR pointer_ = nullptr;
};

// The driver interface of one kind (IWindowDriver, IFrameDriver, ITextDriver) on DriverBase,
// with the hooks that only the interface's own driver can answer.
template <class Interface>
class Driver : public IForwardingDriver<Interface, DriverBase> {
protected:
  explicit Driver(IWindow& owner) : IForwardingDriver<Interface, DriverBase>(owner) {}
  void made() override { this->setHandle(handleOf(this->hwnd())); }
  void sized() override { IWindowDriver::windowSized(this->owner()); }
  void gone() override { this->windowGone(this->owner()); }
};

} // namespace IWin32

#endif
