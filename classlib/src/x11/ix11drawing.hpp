// The X11 backend's one drawing helper, shared by the message box and the controls: fonts
// matched by fontconfig and opened with Xft at the display's measured density (the server's
// core fonts where those give none), colours, text measured in 32-bit widths and drawn in
// pieces the server accepts.
#ifndef IX11DRAWING_HPP
#define IX11DRAWING_HPP

#include <X11/Xlib.h>
#include <X11/Xft/Xft.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "icolor.hpp"
#include "ifont.hpp"
#include "igeometry.hpp"
#include "iimage.hpp"
#include "x11/ix11display.hpp"

namespace IX11 {

// Pixels per logical inch across the screen: the Xft.dpi resource (what Xft-based programs
// scale by), else the screen's size in millimetres, else 96.
long density(Display* display, int screen);

// What fontconfig is asked for: a face name's trailing style words ("Arial Bold", "Times New
// Roman Italic") become the weight and slant, the rest is the family; an empty family is the
// library's default face. IFont's bold attribute asks for at least bold.
struct FontRequest {
  std::string family;
  int weight;      // FC_WEIGHT_*
  int slant;       // FC_SLANT_*
  long pixelSize;  // IFont::pixelsFor(pointSize, density), at least 1
  bool operator<(const FontRequest& o) const;
};
FontRequest fontRequest(const IFont& font, long density);

// A font to measure and draw text with: one that Xft opened, or one of the X server's core
// fonts where Xft and fontconfig have none. The Drawing that made it owns it.
class Face {
public:
  Face() noexcept = default;
  // Implicit: the controls measure and draw with the Xft fonts they are given.
  Face(XftFont* font) noexcept : xft_(font) {}
  explicit Face(XFontStruct* font) noexcept : core_(font) {}

  explicit operator bool() const noexcept { return xft_ != nullptr || core_ != nullptr; }
  XftFont* xft() const noexcept { return xft_; }
  XFontStruct* core() const noexcept { return core_; }
  long ascent() const noexcept { return xft_ ? xft_->ascent : core_ ? core_->ascent : 0; }
  long descent() const noexcept { return xft_ ? xft_->descent : core_ ? core_->descent : 0; }
  long maxAdvance() const noexcept {
    return xft_ ? xft_->max_advance_width : core_ ? core_->max_bounds.width : 0;
  }

private:
  XftFont* xft_ = nullptr;
  XFontStruct* core_ = nullptr;
};

// The fonts and colours of one display connection, kept until the object goes (before its
// connection is closed). Making a font, a colour, a picture on the server or an Xft drawable
// first waits for the preparation thread (ix11prepare.hpp).
class Drawing {
public:
  explicit Drawing(const Connection& connection);
  ~Drawing();
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  Display* display() const noexcept { return display_; }
  Visual* visual() const noexcept { return visual_; }
  Colormap colormap() const noexcept { return colormap_; }
  int depth() const noexcept { return depth_; }
  long density() const noexcept { return density_; }

  // The font at the display's density. A face that is not installed gives fontconfig's best
  // match, which is the default face; null only on a display without any font.
  XftFont* font(const IFont& font) { return this->font(fontRequest(font, density_)); }
  XftFont* font(const FontRequest& request);
  // The Xft font for the request, else the server's core font nearest its size (bold for a
  // bold weight); an empty face only when neither can be opened.
  Face face(const FontRequest& request);
  Face face(const IFont& font) { return face(fontRequest(font, density_)); }
  // The core font nearest pixelSize (see coreFontCandidates); empty when not even "fixed"
  // opens.
  Face coreFont(long pixelSize, bool bold);

  const XftColor& color(const IColor& color);
  // An Xft drawable for drawing into drawable; null when Xft has none.
  XftDraw* createDraw(Drawable drawable);
  unsigned long pixel(const IColor& value) { return color(value).pixel; }

  // The picture's pixels in this display's format, blended with background where the picture
  // is not opaque.
  std::vector<std::uint32_t> pixelsOf(const IImage& image, const IColor& background);
  // Puts the top left width x height of pixels (a row of rowLength pixels each, in this
  // display's format) at the top left of drawable.
  void putPixels(Drawable drawable, GC gc, const std::vector<std::uint32_t>& pixels,
                 long rowLength, unsigned width, unsigned height);
  // The picture on the server, put there at the first call (on the preparation thread, when
  // the program named it ahead) and kept with the drawing; None for a picture that is not
  // opaque throughout, which is drawn on its background each time.
  Pixmap picture(const IImage& image);

  // Advance width of text (UTF-8); 0 for no font. Xft's own extents are 16-bit and wrap round
  // for text wider than 32,767 pixels, so text is measured in pieces that cannot.
  long textWidth(Face font, const std::string& text, std::size_t from = 0,
                 std::size_t to = std::string::npos) const;
  // Ascent plus descent.
  static long lineHeight(Face font) { return font.ascent() + font.descent(); }
  // What ends a text that is cut short: an ellipsis, or three dots in a core font without one.
  static std::string ellipsis(Face font);

  // Draws text with its baseline starting at (x, y) into draw's drawable; only what falls
  // between clipLeft and clipRight is sent, in pieces whose glyph positions fit the protocol's
  // 16 bits. A core font's characters outside its character set are drawn as "?".
  void drawText(XftDraw* draw, const IColor& color, Face font, long x, long y,
                const std::string& text, long clipLeft, long clipRight);
  void fill(XftDraw* draw, const IColor& color, const IRectangle& rect);

private:
  // Characters per piece so that no piece is wider than 16 bits can count.
  static std::size_t pieceLength(Face font);
  // The core font's width of text[from, to) and the GC that draws with core fonts.
  long coreWidth(XFontStruct* font, const std::string& text, std::size_t from, std::size_t to) const;
  GC coreGC(Drawable drawable);

  Display* display_;
  int screen_;
  Visual* visual_;
  Colormap colormap_;
  int depth_;
  long density_;
  std::map<FontRequest, XftFont*> fonts_;
  std::vector<XftFont*> opened_; // each opened once, closed once
  std::map<std::pair<long, bool>, XFontStruct*> coreFonts_; // by size and boldness
  std::vector<XFontStruct*> coreOpened_;
  std::vector<std::string> coreListed_; // the server's fonts, listed at the first need
  bool coreListDone_ = false;
  GC coreGC_ = nullptr;

  std::map<std::uint32_t, XftColor> colors_;
  std::map<const IImage*, Pixmap> pictures_; // the resource library keeps the images
};

// The drawing helper of the shared connection; null when no display can be opened.
Drawing* sharedDrawing();

} // namespace IX11

#endif
