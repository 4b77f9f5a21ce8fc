// The X11 drawing helper: density, font matching and the font cache, colours, and text
// measured and drawn in pieces.
#include "x11/ix11drawing.hpp"

#include "ifontname.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <tuple>
#include <vector>

namespace {

const char* const defaultFamily = "sans-serif";

} // namespace

long IX11::density(Display* display, int screen) {
  if (const char* value = XGetDefault(display, "Xft", "dpi")) {
    char* end = nullptr;
    double dpi = std::strtod(value, &end);
    if (end != value && dpi >= 1 && dpi < 10000)
      return std::lround(dpi);
  }
  int millimetres = DisplayWidthMM(display, screen);
  if (millimetres > 0)
    return std::lround(DisplayWidth(display, screen) * 25.4 / millimetres);
  return 96;
}

bool IX11::FontRequest::operator<(const FontRequest& o) const {
  return std::tie(family, weight, slant, pixelSize) <
         std::tie(o.family, o.weight, o.slant, o.pixelSize);
}

IX11::FontRequest IX11::fontRequest(const IFont& font, long density) {
  IFontName::Parts parts = IFontName::split(font.name());
  int slant = parts.slant == IFontName::italic    ? FC_SLANT_ITALIC
              : parts.slant == IFontName::oblique ? FC_SLANT_OBLIQUE
                                                  : FC_SLANT_ROMAN;
  FontRequest request{parts.family, FcWeightFromOpenType(parts.weight), slant,
                      std::max(1L, IFont::pixelsFor(font.pointSize(), density))};
  if (font.isBold())
    request.weight = std::max(request.weight, static_cast<int>(FC_WEIGHT_BOLD));
  return request;
}

std::size_t IX11::characterLength(const std::string& text, std::size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (at + length > text.size())
    return 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
      return 1;
  return length;
}

IX11::Drawing::Drawing(const Connection& connection)
    : display_(connection.display), screen_(connection.screen),
      visual_(DefaultVisual(connection.display, connection.screen)),
      colormap_(DefaultColormap(connection.display, connection.screen)),
      depth_(DefaultDepth(connection.display, connection.screen)),
      density_(IX11::density(connection.display, connection.screen)) {}

IX11::Drawing::~Drawing() {
  for (XftFont* font : opened_)
    XftFontClose(display_, font);
  for (auto& entry : colors_)
    XftColorFree(display_, visual_, colormap_, &entry.second);
}

XftFont* IX11::Drawing::font(const IFont& font) { return this->font(fontRequest(font, density_)); }

XftFont* IX11::Drawing::font(const FontRequest& request) {
  auto found = fonts_.find(request);
  if (found != fonts_.end())
    return found->second;
  FcPattern* pattern = FcPatternCreate();
  XftFont* opened = nullptr;
  if (pattern != nullptr) {
    const char* family = request.family.empty() ? defaultFamily : request.family.c_str();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, request.weight);
    FcPatternAddInteger(pattern, FC_SLANT, request.slant);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, static_cast<double>(request.pixelSize));
    FcResult result;
    // Substitutes the configuration's aliases ("Times New Roman" is Liberation Serif where
    // that is installed) and falls back to the default face for an unknown one.
    FcPattern* match = XftFontMatch(display_, screen_, pattern, &result);
    FcPatternDestroy(pattern);
    if (match != nullptr) {
      opened = XftFontOpenPattern(display_, match); // owns match from here on
      if (opened != nullptr)
        opened_.push_back(opened);
      else
        FcPatternDestroy(match);
    }
  }
  if (opened == nullptr && !request.family.empty()) {
    FontRequest fallback = request;
    fallback.family.clear();
    opened = font(fallback);
    fonts_[request] = opened; // the default's, closed once
    return opened;
  }
  fonts_[request] = opened;
  return opened;
}

const XftColor& IX11::Drawing::color(const IColor& color) {
  auto found = colors_.find(color.asRGBLong());
  if (found != colors_.end())
    return found->second;
  XRenderColor value = {static_cast<unsigned short>(color.redMix() * 257),
                        static_cast<unsigned short>(color.greenMix() * 257),
                        static_cast<unsigned short>(color.blueMix() * 257), 0xFFFF};
  XftColor made{};
  if (!XftColorAllocValue(display_, visual_, colormap_, &value, &made)) {
    // A full colormap (not on true-colour displays): the nearer of black and white.
    bool light = color.redMix() + color.greenMix() + color.blueMix() > 384;
    made.pixel = light ? WhitePixel(display_, screen_) : BlackPixel(display_, screen_);
    made.color = value;
  }
  return colors_.emplace(color.asRGBLong(), made).first->second;
}

std::size_t IX11::Drawing::pieceLength(const XftFont* font) const {
  long widest = std::max(1, font->max_advance_width);
  return static_cast<std::size_t>(std::max(1L, std::min(256L, 30000L / widest)));
}

long IX11::Drawing::textWidth(XftFont* font, const std::string& text, std::size_t from,
                              std::size_t to) const {
  if (font == nullptr)
    return 0;
  to = std::min(to, text.size());
  std::size_t piece = pieceLength(font);
  long width = 0;
  while (from < to) {
    std::size_t end = from;
    for (std::size_t n = 0; n < piece && end < to; ++n)
      end += characterLength(text, end);
    end = std::min(end, to);
    XGlyphInfo extents;
    XftTextExtentsUtf8(display_, font, reinterpret_cast<const FcChar8*>(text.data() + from),
                       static_cast<int>(end - from), &extents);
    width += static_cast<unsigned short>(extents.xOff);
    from = end;
  }
  return width;
}

std::size_t IX11::Drawing::fitting(XftFont* font, const std::string& text, std::size_t from,
                                   long width) const {
  std::size_t end = from;
  long used = 0;
  while (end < text.size()) {
    std::size_t length = characterLength(text, end);
    long advance = textWidth(font, text, end, end + length);
    if (end > from && used + advance > width)
      break;
    used += advance;
    end += length;
  }
  return end - from;
}

void IX11::Drawing::drawText(XftDraw* draw, const IColor& color, XftFont* font, long x, long y,
                             const std::string& text, long clipLeft, long clipRight) {
  if (font == nullptr || draw == nullptr || y < -30000 || y > 30000)
    return;
  const XftColor& ink = this->color(color);
  std::size_t piece = pieceLength(font);
  for (std::size_t from = 0; from < text.size() && x < clipRight;) {
    std::size_t end = from;
    for (std::size_t n = 0; n < piece && end < text.size(); ++n)
      end += characterLength(text, end);
    end = std::min(end, text.size());
    long width = textWidth(font, text, from, end);
    // Glyphs may reach a little beyond their advance (italics): one glyph's width of slack.
    // The protocol places glyphs with 16-bit coordinates, so a piece is cut where its glyphs
    // would pass them; what lies there is out of any window's reach anyway.
    if (x + width + font->max_advance_width > clipLeft && x > -32000) {
      std::size_t length = end - from;
      if (x + width > 32000)
        length = std::min(length, fitting(font, text, from, 32000 - x));
      XftDrawStringUtf8(draw, &ink, font, static_cast<int>(x), static_cast<int>(y),
                        reinterpret_cast<const FcChar8*>(text.data() + from),
                        static_cast<int>(length));
    }
    x += width;
    from = end;
  }
}

void IX11::Drawing::fill(XftDraw* draw, const IColor& color, const IRectangle& rect) {
  if (draw == nullptr || rect.isEmpty())
    return;
  XftDrawRect(draw, &this->color(color), static_cast<int>(rect.left()),
              static_cast<int>(rect.top()), static_cast<unsigned>(rect.width()),
              static_cast<unsigned>(rect.height()));
}

IX11::Drawing* IX11::sharedDrawing() {
  static std::once_flag once;
  static Drawing* drawing = nullptr;
  std::call_once(once, [] {
    if (Connection* connection = shared())
      drawing = new Drawing(*connection);
  });
  return drawing;
}
