// Win32 fonts: IFont values realised as GDI fonts (one per value while in use), and the
// measurement of text on the screen.
#include "win32/iwin32window.hpp"

#include "ifontname.hpp"
#include "win32/iwin32text.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

namespace {

using IWin32::Font;

// What GDI is asked for.
struct FontRequest {
  std::string face;
  LONG weight = FW_NORMAL;
  BYTE italic = FALSE;
  BYTE charSet = DEFAULT_CHARSET;
};

// The screen's vertical density, which turns points into pixels. A process's system density
// does not change while it runs.
long screenDensity() {
  static long density = [] {
    HDC screen = GetDC(nullptr);
    long value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
      ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return density;
}

// The face that dialogs and message boxes use, from the user's settings; the default font's face.
LOGFONTA messageFont() {
  NONCLIENTMETRICSA metrics = {};
  // The structure as old systems know it: they refuse the size with the later padding field.
  metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTA fallback = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof fallback, &fallback);
  return fallback;
}

int CALLBACK noteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Whether GDI has a family of exactly this name.
bool isInstalled(const std::string& face) {
  if (face.empty() || face.size() >= LF_FACESIZE)
    return false;
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(wanted.lfFaceName, face.c_str(), face.size() + 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// GDI matches family names, not "family style" names: a name that is not a family but ends in
// style words is the family with those styles. An installed family keeps its whole name
// ("Arial Black").
FontRequest requestFor(const IFont& font) {
  FontRequest request;
  if (font.isDefaultFace()) {
    LOGFONTA message = messageFont();
    request.face = message.lfFaceName;
    request.weight = message.lfWeight;
    request.italic = message.lfItalic;
    request.charSet = message.lfCharSet;
  } else {
    request.face = static_cast<const char*>(font.name());
    if (!isInstalled(request.face)) {
      IFontName::Parts parts = IFontName::split(font.name());
      request.face = parts.family;
      request.weight = parts.weight;
      request.italic = parts.slant != IFontName::roman;
    }
  }
  if (font.isBold() && request.weight < FW_BOLD)
    request.weight = FW_BOLD;
  return request;
}

HFONT create(const FontRequest& request, unsigned long pointSize) {
  LOGFONTA wanted = {};
  wanted.lfHeight = -static_cast<LONG>(IFont::pixelsFor(pointSize, screenDensity()));
  wanted.lfWeight = request.weight;
  wanted.lfItalic = request.italic;
  wanted.lfCharSet = request.charSet;
  wanted.lfOutPrecision = OUT_DEFAULT_PRECIS;
  wanted.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  wanted.lfQuality = DEFAULT_QUALITY;
  wanted.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  // A longer name is no family GDI has; cut, it is still mapped to something.
  std::size_t length = std::min<std::size_t>(request.face.size(), LF_FACESIZE - 1);
  std::memcpy(wanted.lfFaceName, request.face.data(), length);
  wanted.lfFaceName[length] = '\0';
  return CreateFontIndirectA(&wanted);
}

struct Key {
  std::string name;
  unsigned long pointSize;
  bool bold;
  bool operator<(const Key& o) const {
    if (name != o.name)
      return name < o.name;
    if (pointSize != o.pointSize)
      return pointSize < o.pointSize;
    return bold < o.bold;
  }
};

// The fonts made so far by value. Fonts that only the cache still holds are let go when it
// grows past a handful: a program uses a few fonts, but one that measures many sizes must not
// collect them.
struct FontCache {
  std::mutex lock;
  std::map<Key, std::shared_ptr<const Font>> fonts;
};
const std::size_t cacheKeeps = 32;

FontCache& cache() {
  static FontCache instance;
  return instance;
}

// A screen DC with font selected, for measuring.
class MeasuringContext {
public:
  explicit MeasuringContext(const IFont& font)
      : font_(IWin32::fontFor(font)), dc_(GetDC(nullptr)),
        old_(dc_ != nullptr ? SelectObject(dc_, font_->handle()) : nullptr) {}
  ~MeasuringContext() {
    if (dc_ != nullptr) {
      SelectObject(dc_, old_);
      ReleaseDC(nullptr, dc_);
    }
  }
  MeasuringContext(const MeasuringContext&) = delete;
  MeasuringContext& operator=(const MeasuringContext&) = delete;
  HDC dc() const noexcept { return dc_; }

private:
  std::shared_ptr<const Font> font_;
  HDC dc_;
  HGDIOBJ old_;
};

} // namespace

IWin32::Font::~Font() {
  if (handle_ != nullptr)
    DeleteObject(handle_);
}

std::shared_ptr<const IWin32::Font> IWin32::fontFor(const IFont& font) {
  Key key{static_cast<const char*>(font.name()), font.pointSize(), font.isBold()};
  FontCache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  auto found = c.fonts.find(key);
  if (found != c.fonts.end())
    return found->second;
  FontRequest request = requestFor(font);
  HFONT handle = create(request, font.pointSize());
  if (handle == nullptr) {
    // GDI maps any name it is given; should it still refuse, the default face will do.
    request.face.clear();
    handle = create(request, font.pointSize());
  }
  auto made = std::make_shared<const Font>(handle);
  if (c.fonts.size() >= cacheKeeps)
    for (auto entry = c.fonts.begin(); entry != c.fonts.end();)
      entry = entry->second.use_count() == 1 ? c.fonts.erase(entry) : std::next(entry);
  c.fonts.emplace(key, made);
  return made;
}

ISize IWindowPlatform::textExtent(const IString& text, const IFont& font) {
  MeasuringContext measuring(font);
  if (measuring.dc() == nullptr)
    return ISize();
  SIZE extent = {0, 0};
  // Measured as it is drawn: in UTF-16, read by the process's code page.
  const IWin32Text::WideText wide = IWin32Text::wide(text, text.length());
  GetTextExtentPoint32W(measuring.dc(), wide.c_str(), static_cast<int>(wide.size()), &extent);
  return ISize(extent.cx, extent.cy);
}

long IWindowPlatform::lineHeight(const IFont& font) {
  MeasuringContext measuring(font);
  TEXTMETRICA metrics = {};
  if (measuring.dc() == nullptr || !GetTextMetricsA(measuring.dc(), &metrics))
    return 0;
  return metrics.tmHeight;
}
