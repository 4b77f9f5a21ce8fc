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
    if (converted_.empty() || convertedFor_ != look_.background)
      convert();
    XImage* ximage = XCreateImage(display_, drawing_.visual(), static_cast<unsigned>(drawing_.depth()),
                                  ZPixmap, 0, nullptr, static_cast<unsigned>(image_->width),
                                  static_cast<unsigned>(image_->height), 32, 0);
    if (ximage == nullptr)
      return;
    std::vector<char> packed;
    if (ximage->bits_per_pixel == 32) {
      std::uint32_t probe = 1;
      ximage->byte_order = *reinterpret_cast<unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
      ximage->data = reinterpret_cast<char*>(converted_.data());
    } else {
      // An unusual pixel size: Xlib packs the pixels itself.
      packed.resize(static_cast<std::size_t>(ximage->bytes_per_line) * image_->height);
      ximage->data = packed.data();
      for (long y = 0; y < image_->height; ++y)
        for (long x = 0; x < image_->width; ++x)
          XPutPixel(ximage, static_cast<int>(x), static_cast<int>(y),
                    converted_[static_cast<std::size_t>(y * image_->width + x)]);
    }
    if (gc_ == nullptr)
      gc_ = XCreateGC(display_, pixmap, 0, nullptr);
    XPutImage(display_, pixmap, gc_, ximage, 0, 0, 0, 0, width, height);
    ximage->data = nullptr; // not Xlib's to free
    XDestroyImage(ximage);
  }

private:
  // The picture's pixels in the display's format, blended with the background where the
  // picture is not opaque.
  void convert() {
    Visual* visual = drawing_.visual();
    const IColor& bg = look_.background;
    bool trueColor = visual->c_class == TrueColor || visual->c_class == DirectColor;
    auto shiftOf = [](unsigned long mask) {
      int shift = 0;
      while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
      }
      return shift;
    };
    auto scale = [](unsigned value, unsigned long mask, int shift) {
      unsigned long maximum = mask >> shift;
      return ((value * maximum + 127) / 255) << shift;
    };
    int rs = shiftOf(visual->red_mask), gs = shiftOf(visual->green_mask), bs = shiftOf(visual->blue_mask);
    // The common screen takes the picture's own 0xRRGGBB: opaque pixels need no arithmetic,
    // which otherwise costs more than a millisecond for a splash picture, on the start's path.
    const bool sameLayout = trueColor && visual->red_mask == 0xFF0000 &&
                            visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
    converted_.resize(image_->pixels.size());
    for (std::size_t i = 0; i < converted_.size(); ++i) {
      std::uint32_t p = image_->pixels[i];
      unsigned a = p >> 24;
      if (sameLayout && a == 0xFF) {
        converted_[i] = p & 0xFFFFFF;
        continue;
      }
      auto blend = [&](unsigned shift, unsigned background) {
        return (((p >> shift) & 0xFF) * a + background * (255 - a) + 127) / 255;
      };
      unsigned r = blend(16, bg.redMix()), g = blend(8, bg.greenMix()), b = blend(0, bg.blueMix());
      if (trueColor)
        converted_[i] = static_cast<std::uint32_t>(scale(r, visual->red_mask, rs) |
                                                   scale(g, visual->green_mask, gs) |
                                                   scale(b, visual->blue_mask, bs));
      else
        converted_[i] = static_cast<std::uint32_t>(drawing_.pixel(IColor(
            static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b))));
    }
    convertedFor_ = bg;
  }

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
