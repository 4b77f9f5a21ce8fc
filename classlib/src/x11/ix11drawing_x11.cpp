// The X11 drawing helper: density, font matching and the font cache (Xft, else the core
// fonts), colours, and text measured and drawn in pieces.
#include "x11/ix11drawing.hpp"

#include "ifontname.hpp"
#include "iutf8.hpp"
#include "x11/ix11corefont.hpp"
#include "x11/ix11prepare.hpp"

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
// Enough for every font of a server with the usual font packages installed.
const int mostCoreFontsListed = 20000;

// Whether the core font has a glyph for the code point (a character within its ranges whose
// metrics are all zero is one it lacks).
bool hasCharacter(const XFontStruct* font, std::uint32_t c) {
  unsigned row = c >> 8, column = c & 0xFF;
  if (c > 0xFFFF || row < font->min_byte1 || row > font->max_byte1 ||
      column < font->min_char_or_byte2 || column > font->max_char_or_byte2)
    return false;
  if (font->per_char == nullptr)
    return true;
  unsigned columns = font->max_char_or_byte2 - font->min_char_or_byte2 + 1;
  const XCharStruct& m = font->per_char[(row - font->min_byte1) * columns + column - font->min_char_or_byte2];
  return m.width != 0 || m.lbearing != 0 || m.rbearing != 0 || m.ascent != 0 || m.descent != 0;
}

// What stands in for a typographic character that a Latin-1 font lacks; "?" for the rest.
std::uint32_t plainCharacter(std::uint32_t c) {
  switch (c) {
  case 0x2018: case 0x2019: case 0x201A: case 0x2032: return '\'';
  case 0x201C: case 0x201D: case 0x201E: case 0x2033: return '"';
  case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2212: return '-';
  case 0x2022: return 0xB7;
  case 0x00A0: case 0x2002: case 0x2003: case 0x2009: case 0x202F: return ' ';
  default: return '?';
  }
}

// The core font's characters for text[from, to): 16-bit, row and column, as XTextWidth16 and
// XDrawString16 take them for one-byte and two-byte fonts alike; a character the font lacks
// becomes its plain stand-in, or "?".
std::vector<XChar2b> coreCharacters(const XFontStruct* font, const std::string& text,
                                    std::size_t from, std::size_t to) {
  std::vector<XChar2b> result;
  result.reserve(to - from);
  for (std::size_t at = from; at < to; at += IUtf8::characterLength(text, at)) {
    std::uint32_t c = IUtf8::codePoint(text, at);
    if (!hasCharacter(font, c))
      c = hasCharacter(font, plainCharacter(c)) ? plainCharacter(c) : '?';
    result.push_back(XChar2b{static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c & 0xFF)});
  }
  return result;
}

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

IX11::Drawing::Drawing(const Connection& connection)
    : display_(connection.display), screen_(connection.screen),
      visual_(DefaultVisual(connection.display, connection.screen)),
      colormap_(DefaultColormap(connection.display, connection.screen)),
      depth_(DefaultDepth(connection.display, connection.screen)),
      density_(IX11::density(connection.display, connection.screen)) {}

IX11::Drawing::~Drawing() {
  for (XftFont* font : opened_)
    XftFontClose(display_, font);
  for (XFontStruct* font : coreOpened_)
    XFreeFont(display_, font);
  if (coreGC_ != nullptr)
    XFreeGC(display_, coreGC_);
  for (auto& entry : colors_)
    XftColorFree(display_, visual_, colormap_, &entry.second);
  for (auto& entry : pictures_)
    if (entry.second != None)
      XFreePixmap(display_, entry.second);
}

XftFont* IX11::Drawing::font(const FontRequest& request) {
  awaitPreparation();
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

IX11::Face IX11::Drawing::face(const FontRequest& request) {
  if (XftFont* opened = font(request))
    return Face(opened);
  return coreFont(request.pixelSize, request.weight >= FC_WEIGHT_BOLD);
}

IX11::Face IX11::Drawing::coreFont(long pixelSize, bool bold) {
  auto key = std::make_pair(pixelSize, bold);
  auto found = coreFonts_.find(key);
  if (found != coreFonts_.end())
    return Face(found->second);
  if (!coreListDone_) {
    coreListDone_ = true;
    int count = 0;
    if (char** names = XListFonts(display_, coreFontPattern, mostCoreFontsListed, &count)) {
      coreListed_.assign(names, names + count);
      XFreeFontNames(names);
    }
  }
  XFontStruct* opened = nullptr;
  // A listed font may still fail to open (a scalable font whose file is unreadable): the next.
  for (const std::string& name : coreFontCandidates(coreListed_, pixelSize, bold)) {
    opened = XLoadQueryFont(display_, name.c_str());
    if (opened != nullptr) {
      coreOpened_.push_back(opened);
      break;
    }
  }
  coreFonts_[key] = opened;
  return Face(opened);
}

const XftColor& IX11::Drawing::color(const IColor& color) {
  awaitPreparation();
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

std::size_t IX11::Drawing::pieceLength(Face font) {
  long widest = std::max(1L, font.maxAdvance());
  return static_cast<std::size_t>(std::max(1L, std::min(256L, 30000L / widest)));
}

long IX11::Drawing::coreWidth(XFontStruct* font, const std::string& text, std::size_t from,
                              std::size_t to) const {
  std::vector<XChar2b> characters = coreCharacters(font, text, from, to);
  return XTextWidth16(font, characters.data(), static_cast<int>(characters.size()));
}

std::string IX11::Drawing::ellipsis(Face font) {
  return font.core() == nullptr || hasCharacter(font.core(), 0x2026) ? "\u2026" : "...";
}

long IX11::Drawing::textWidth(Face font, const std::string& text, std::size_t from,
                              std::size_t to) const {
  if (!font)
    return 0;
  to = std::min(to, text.size());
  std::size_t piece = pieceLength(font);
  long width = 0;
  while (from < to) {
    std::size_t end = from;
    for (std::size_t n = 0; n < piece && end < to; ++n)
      end += IUtf8::characterLength(text, end);
    end = std::min(end, to);
    if (font.core() != nullptr) {
      width += coreWidth(font.core(), text, from, end);
    } else {
      XGlyphInfo extents;
      XftTextExtentsUtf8(display_, font.xft(), reinterpret_cast<const FcChar8*>(text.data() + from),
                         static_cast<int>(end - from), &extents);
      width += static_cast<unsigned short>(extents.xOff);
    }
    from = end;
  }
  return width;
}

GC IX11::Drawing::coreGC(Drawable drawable) {
  // One GC serves every window of the connection: they share its screen and depth.
  if (coreGC_ == nullptr)
    coreGC_ = XCreateGC(display_, drawable, 0, nullptr);
  return coreGC_;
}

void IX11::Drawing::drawText(XftDraw* draw, const IColor& color, Face font, long x, long y,
                             const std::string& text, long clipLeft, long clipRight) {
  if (!font || draw == nullptr || y < -30000 || y > 30000)
    return;
  const XftColor& ink = this->color(color);
  GC gc = nullptr;
  if (font.core() != nullptr) {
    gc = coreGC(XftDrawDrawable(draw));
    XSetForeground(display_, gc, ink.pixel);
    XSetFont(display_, gc, font.core()->fid);
  }
  std::size_t piece = pieceLength(font);
  for (std::size_t from = 0; from < text.size() && x < clipRight;) {
    std::size_t end = from;
    for (std::size_t n = 0; n < piece && end < text.size(); ++n)
      end += IUtf8::characterLength(text, end);
    end = std::min(end, text.size());
    long width = textWidth(font, text, from, end);
    // Glyphs may reach a little beyond their advance (italics): one glyph's width of slack.
    // The protocol places glyphs with 16-bit coordinates, so a piece is cut where its glyphs
    // would pass them; what lies there is out of any window's reach anyway.
    if (x + width + font.maxAdvance() > clipLeft && x > -32000) {
      std::size_t length = end - from;
      if (x + width > 32000)
        length = std::min(length, IUtf8::fittingLength(text, from, 32000 - x,
            [&](const std::string& t, std::size_t a, std::size_t b) { return textWidth(font, t, a, b); }));
      if (gc != nullptr) {
        std::vector<XChar2b> characters = coreCharacters(font.core(), text, from, from + length);
        XDrawString16(display_, XftDrawDrawable(draw), gc, static_cast<int>(x), static_cast<int>(y),
                      characters.data(), static_cast<int>(characters.size()));
      } else {
        XftDrawStringUtf8(draw, &ink, font.xft(), static_cast<int>(x), static_cast<int>(y),
                          reinterpret_cast<const FcChar8*>(text.data() + from),
                          static_cast<int>(length));
      }
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

std::vector<std::uint32_t> IX11::Drawing::pixelsOf(const IImage& image, const IColor& background) {
  bool trueColor = visual_->c_class == TrueColor || visual_->c_class == DirectColor;
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
  int rs = shiftOf(visual_->red_mask), gs = shiftOf(visual_->green_mask), bs = shiftOf(visual_->blue_mask);
  // The common screen takes the picture's own 0xRRGGBB: opaque pixels need no arithmetic,
  // which otherwise costs more than a millisecond for a splash picture, on the start's path.
  const bool sameLayout = trueColor && visual_->red_mask == 0xFF0000 &&
                          visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
  std::vector<std::uint32_t> converted(image.pixels.size());
  for (std::size_t i = 0; i < converted.size(); ++i) {
    std::uint32_t p = image.pixels[i];
    unsigned a = p >> 24;
    if (sameLayout && a == 0xFF) {
      converted[i] = p & 0xFFFFFF;
      continue;
    }
    auto blend = [&](unsigned shift, unsigned back) {
      return (((p >> shift) & 0xFF) * a + back * (255 - a) + 127) / 255;
    };
    unsigned r = blend(16, background.redMix()), g = blend(8, background.greenMix()),
             b = blend(0, background.blueMix());
    if (trueColor)
      converted[i] = static_cast<std::uint32_t>(scale(r, visual_->red_mask, rs) |
                                                scale(g, visual_->green_mask, gs) |
                                                scale(b, visual_->blue_mask, bs));
    else
      converted[i] = static_cast<std::uint32_t>(pixel(IColor(
          static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b))));
  }
  return converted;
}

void IX11::Drawing::putPixels(Drawable drawable, GC gc, const std::vector<std::uint32_t>& pixels,
                              long rowLength, unsigned width, unsigned height) {
  if (rowLength <= 0 || pixels.size() < static_cast<std::size_t>(rowLength) * height)
    return;
  XImage* ximage = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                nullptr, static_cast<unsigned>(rowLength), height, 32, 0);
  if (ximage == nullptr)
    return;
  std::vector<char> packed;
  if (ximage->bits_per_pixel == 32) {
    std::uint32_t probe = 1;
    ximage->byte_order = *reinterpret_cast<unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
    ximage->data = const_cast<char*>(reinterpret_cast<const char*>(pixels.data()));
  } else {
    // An unusual pixel size: Xlib packs the pixels itself.
    packed.resize(static_cast<std::size_t>(ximage->bytes_per_line) * height);
    ximage->data = packed.data();
    for (unsigned y = 0; y < height; ++y)
      for (long x = 0; x < rowLength; ++x)
        XPutPixel(ximage, static_cast<int>(x), static_cast<int>(y),
                  pixels[static_cast<std::size_t>(y * rowLength + x)]);
  }
  XPutImage(display_, drawable, gc, ximage, 0, 0, 0, 0, width, height);
  ximage->data = nullptr; // not Xlib's to free
  XDestroyImage(ximage);
}

Pixmap IX11::Drawing::picture(const IImage& image) {
  awaitPreparation();
  auto found = pictures_.find(&image);
  if (found != pictures_.end())
    return found->second;
  Pixmap pixmap = None;
  bool opaque = image.width > 0 && image.height > 0 &&
                image.pixels.size() >= static_cast<std::size_t>(image.width * image.height) &&
                std::all_of(image.pixels.begin(), image.pixels.end(),
                            [](std::uint32_t p) { return (p >> 24) == 0xFF; });
  if (opaque) {
    pixmap = XCreatePixmap(display_, RootWindow(display_, screen_),
                           static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
                           static_cast<unsigned>(depth_));
    GC gc = XCreateGC(display_, pixmap, 0, nullptr);
    // Opaque pixels take nothing from the background.
    putPixels(pixmap, gc, pixelsOf(image, IColor::white()), image.width,
              static_cast<unsigned>(image.width), static_cast<unsigned>(image.height));
    XFreeGC(display_, gc);
  }
  pictures_[&image] = pixmap;
  return pixmap;
}

XftDraw* IX11::Drawing::createDraw(Drawable drawable) {
  awaitPreparation();
  return XftDrawCreate(display_, drawable, visual_, colormap_);
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
