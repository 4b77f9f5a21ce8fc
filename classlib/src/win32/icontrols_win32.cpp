// Win32 controls: static texts and the information area as windows of the library's own
// classes that draw their one line themselves (the window text is the text, for tools), and
// the bitmap control.
#include "win32/iwin32window.hpp"

#include <string>

#include "win32/iwin32text.hpp"

namespace {

using namespace IWin32;

UINT formatFor(IStaticText::Alignment alignment) {
  static const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  static const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
  int index = static_cast<int>(alignment);
  return horizontal[index % 3] | vertical[index / 3];
}

class Win32TextDriver : public Driver<ITextDriver> {
public:
  Win32TextDriver(IWindow& control, IWindow& parent, const IRectangle& initial,
                  const char* className, long marginX, long marginY, const char* function,
                  unsigned long line)
      : Driver(control), marginX_(marginX), marginY_(marginY) {
    create(0, className, "", WS_CHILD | WS_CLIPSIBLINGS, placementOf(initial),
           hwndOf(parent.handle()), function, line);
  }

  void setText(const IString& text) override {
    text_ = text;
    Driver::setText(text);
  }

  void setAlignment(IStaticText::Alignment alignment) override {
    alignment_ = alignment;
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  void setBorder(bool on) override {
    border_ = on;
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

protected:
  void paint(HDC dc, const RECT& client) override {
    RECT area = client;
    if (border_) {
      RECT line = {client.left, client.top, client.right,
                   client.top + static_cast<LONG>(ITextDriver::infoAreaBorder)};
      // A separator of its own colour, as on every platform: the text's colour may be the
      // colour of what lies above.
      fill(dc, line, RGB(128, 128, 128));
      area.top = line.bottom;
    }
    InflateRect(&area, -static_cast<int>(marginX_), -static_cast<int>(marginY_));
    HGDIOBJ old = SelectObject(dc, fontHandle());
    SetTextColor(dc, foreground());
    SetBkMode(dc, TRANSPARENT);
    // One line, and an ampersand is a character here, not a mnemonic. In UTF-16: the ANSI
    // call would read the text by the font's code page, not the process's.
    const IWin32Text::WideText text = IWin32Text::wide(text_, text_.length());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
              formatFor(alignment_) | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
  }

private:
  IString text_;
  IStaticText::Alignment alignment_ = IStaticText::topLeft;
  bool border_ = false;
  long marginX_, marginY_;
};

class Win32BitmapDriver : public Driver<IWindowDriver> {
public:
  Win32BitmapDriver(IWindow& control, IWindow& parent, const IBitmapHandle& bitmap,
                    const IRectangle& initial)
      : Driver(control), bitmap_(reinterpret_cast<HBITMAP>(bitmap.asUnsigned())) {
    create(0, bitmapClass, "", WS_CHILD | WS_CLIPSIBLINGS, placementOf(initial),
           hwndOf(parent.handle()), "IBitmapControl::IBitmapControl(unsigned long,IWindow*,IWindow*,...)",
           __LINE__);
  }

protected:
  // The picture at its own size in the top left corner; the background around it.
  void paint(HDC dc, const RECT&) override {
    BITMAP info;
    if (bitmap_ == nullptr || GetObjectA(bitmap_, sizeof info, &info) == 0)
      return;
    HDC picture = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(picture, bitmap_);
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, picture, 0, 0,
           SRCCOPY);
    SelectObject(picture, old);
    DeleteDC(picture);
  }

private:
  HBITMAP bitmap_;
};

} // namespace

std::unique_ptr<ITextDriver> IWindowDriver::newStaticText(IWindow& control, IWindow& parent,
                                                         const IRectangle& initial) {
  return std::unique_ptr<ITextDriver>(new Win32TextDriver(
      control, parent, initial, staticTextClass, ITextDriver::staticTextMarginX, ITextDriver::staticTextMarginY,
      "IStaticText::IStaticText(unsigned long,IWindow*,IWindow*,const IRectangle&)", __LINE__));
}

std::unique_ptr<ITextDriver> IWindowDriver::newInfoArea(IWindow& area, IFrameWindow& frame) {
  return std::unique_ptr<ITextDriver>(new Win32TextDriver(
      area, frame, IRectangle(), infoAreaClass, ITextDriver::infoAreaMarginX, ITextDriver::infoAreaMarginY,
      "IInfoArea::IInfoArea(IFrameWindow*)", __LINE__));
}

std::unique_ptr<IWindowDriver> IWindowDriver::newBitmap(IWindow& control, IWindow& parent,
                                                       const IBitmapHandle& bitmap,
                                                       const IRectangle& initial) {
  return std::unique_ptr<IWindowDriver>(new Win32BitmapDriver(control, parent, bitmap, initial));
}
