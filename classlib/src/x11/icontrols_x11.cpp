// X11 drivers of the controls: the static text and the information area (a line of text in
// its font and colours) and the bitmap control (a picture at its own size).
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "iimage.hpp"
#include "istatictext.hpp"
#include "x11/ix11window.hpp"

namespace {

// A line of text, aligned inside the window with a margin, on the window's background.
class LineDriver : public IX11::Driver<ITextDriver> {
public:
  void setAlignment(IStaticText::Alignment alignment) override {
    alignment_ = alignment;
    render();
    XFlush(display_);
  }
  void setBorder(bool on) override {
    border_ = on;
    render();
    XFlush(display_);
  }

protected:
  LineDriver(IWindow& control, ::Window parent, const IRectangle& initial, const char* instance,
             const char* className, const char* function, long marginX, long marginY)
      : Driver(control, parent, initial, 0, instance, className, function), marginX_(marginX),
        marginY_(marginY) {
    setWindowText(IString());
  }

  bool hasContent() const override { return true; }

  void paint(XftDraw* draw, Pixmap, const ISize& size) override {
    long top = 0;
    if (border_) {
      top = ITextDriver::infoAreaBorder;
      drawing_.fill(draw, IColor::darkGray(), IRectangle(0, 0, size.width(), top));
    }
    // The server's core font stands in where fontconfig has none: the text is still read.
    const IX11::Face font = drawing_.face(look_.font);
    if (!font || text_.empty())
      return;
    long width = drawing_.textWidth(font, text_);
    long x = marginX_;
    switch (alignment_ % 3) {
    case 1: x = (size.width() - width) / 2; break;
    case 2: x = size.width() - marginX_ - width; break;
    default: break;
    }
    long y = top + marginY_ + font.ascent();
    switch (alignment_ / 3) {
    case 1: y = top + (size.height() - top - IX11::Drawing::lineHeight(font)) / 2 + font.ascent(); break;
    case 2: y = size.height() - marginY_ - font.descent(); break;
    default: break;
    }
    drawing_.drawText(draw, look_.foreground, font, x, y, text_, 0, size.width());
  }

private:
  long marginX_, marginY_;
  IStaticText::Alignment alignment_ = IStaticText::topLeft;
  bool border_ = false;
};

class StaticTextDriver : public LineDriver {
public:
  StaticTextDriver(IWindow& control, IWindow& parent, const IRectangle& initial)
      : LineDriver(control, IX11::parentOf(parent, "IStaticText::IStaticText(...)"), initial,
                   "text", "Static", "IStaticText::IStaticText(...)", staticTextMarginX,
                   staticTextMarginY) {}
};

class InfoAreaDriver : public LineDriver {
public:
  InfoAreaDriver(IWindow& area, IFrameWindow& frame)
      : LineDriver(area, IX11::parentOf(frame, "IInfoArea::IInfoArea(IFrameWindow*)"), IRectangle(),
                   "infoarea", "IInfoArea", "IInfoArea::IInfoArea(IFrameWindow*)", infoAreaMarginX,
                   infoAreaMarginY) {}
};

// Shows the bitmap at its own size from the top left corner; the rest of the window, and
// what the picture leaves transparent, is the background.
class BitmapDriver : public IX11::Driver<IWindowDriver> {
public:
  BitmapDriver(IWindow& control, IWindow& parent, const IBitmapHandle& bitmap,
               const IRectangle& initial)
      : Driver(control, IX11::parentOf(parent, "IBitmapControl::IBitmapControl(...)"), initial, 0,
               "bitmap", "IBitmapControl", "IBitmapControl::IBitmapControl(...)"),
        image_(bitmap.isValid() ? IResourcePosix::bitmapOf(bitmap) : nullptr) {}

  ~BitmapDriver() override {
    if (gc_ != nullptr)
      XFreeGC(display_, gc_);
  }

protected:
  bool hasContent() const override { return true; }

  void paint(XftDraw*, Pixmap pixmap, const ISize& size) override {
    if (image_ == nullptr || image_->width <= 0 || image_->height <= 0 ||
        image_->pixels.size() < static_cast<std::size_t>(image_->width * image_->height))
      return;
    unsigned width = static_cast<unsigned>(std::min(image_->width, size.width()));
    unsigned height = static_cast<unsigned>(std::min(image_->height, size.height()));
    if (gc_ == nullptr)
      gc_ = XCreateGC(display_, pixmap, 0, nullptr);
    // An opaque picture is sent to the server once (ahead, when the program prepared it) and
    // copied there at each paint.
    if (Pixmap onServer = drawing_.picture(*image_)) {
      XCopyArea(display_, onServer, pixmap, gc_, 0, 0, width, height, 0, 0);
      return;
    }
    if (converted_.empty() || convertedFor_ != look_.background) {
      converted_ = drawing_.pixelsOf(*image_, look_.background);
      convertedFor_ = look_.background;
    }
    drawing_.putPixels(pixmap, gc_, converted_, image_->width, width, height);
  }

private:
  const IImage* image_;
  std::vector<std::uint32_t> converted_;
  IColor convertedFor_;
  GC gc_ = nullptr;
};

} // namespace

std::unique_ptr<ITextDriver> IWindowDriver::newStaticText(IWindow& control, IWindow& parent,
                                                          const IRectangle& initial) {
  return std::unique_ptr<ITextDriver>(new StaticTextDriver(control, parent, initial));
}

std::unique_ptr<ITextDriver> IWindowDriver::newInfoArea(IWindow& area, IFrameWindow& frame) {
  return std::unique_ptr<ITextDriver>(new InfoAreaDriver(area, frame));
}

std::unique_ptr<IWindowDriver> IWindowDriver::newBitmap(IWindow& control, IWindow& parent,
                                                        const IBitmapHandle& bitmap,
                                                        const IRectangle& initial) {
  return std::unique_ptr<IWindowDriver>(new BitmapDriver(control, parent, bitmap, initial));
}
