// The .bmp and .ico decoders: Windows device-independent bitmaps read into 0xAARRGGBB pixels,
// every size and offset checked against the data before it is used.
#include "iimage.hpp"

#include <cstdlib>
#include <limits>

namespace {

// Larger pictures than this are refused: a resource is a splash or an icon, and the limit
// keeps a corrupt header from asking for gigabytes.
const long maxSide = 16384;

std::uint32_t le16(const unsigned char* p) { return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8); }
std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::int32_t sle32(const unsigned char* p) { return static_cast<std::int32_t>(le32(p)); }

bool fail(std::string& why, const char* text) {
  why = text;
  return false;
}

// Reads a DIB (BITMAPINFOHEADER and what follows) at dib; height is the picture's height
// (icons store twice the height for the image and its mask). pixelsAt is the offset of the
// pixel rows from dib, or 0 for "right after the colour table"; maskFollows: an icon's AND
// mask follows the colour rows.
bool decodeDib(const unsigned char* dib, std::size_t size, long height, std::size_t pixelsAt,
               bool maskFollows, IImage& image, std::string& why) {
  if (size < 40)
    return fail(why, "the bitmap header is cut short");
  std::uint32_t headerSize = le32(dib);
  if (headerSize < 40 || headerSize > size)
    return fail(why, "the bitmap header has an unknown size");
  long width = sle32(dib + 4);
  std::int32_t rawHeight = sle32(dib + 8);
  std::uint32_t planes = le16(dib + 12), bits = le16(dib + 14), compression = le32(dib + 16);
  std::uint32_t colorsUsed = le32(dib + 32);
  bool topDown = rawHeight < 0;
  // The smallest top-down height has no positive counterpart in 32 bits (a Windows long):
  // it is out of range like any other beyond maxSide.
  if (height == 0)
    height = rawHeight == std::numeric_limits<std::int32_t>::min() ? 0 : (topDown ? -rawHeight : rawHeight);
  if (planes != 1)
    return fail(why, "the bitmap has more than one plane");
  if (compression != 0 && !(compression == 3 && bits == 32))
    return fail(why, "the bitmap is compressed");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    return fail(why, "the bitmap has an unsupported number of bits per pixel");
  if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
    return fail(why, "the bitmap's size is out of range");

  std::size_t paletteAt = headerSize + (compression == 3 ? 12 : 0);
  std::size_t paletteCount = 0;
  if (bits <= 8) {
    paletteCount = colorsUsed != 0 ? colorsUsed : (1u << bits);
    if (paletteCount > (1u << bits))
      return fail(why, "the bitmap's colour table is too large");
  }
  if (paletteAt + paletteCount * 4 > size)
    return fail(why, "the bitmap's colour table is cut short");
  std::size_t rowsAt = pixelsAt != 0 ? pixelsAt : paletteAt + paletteCount * 4;
  std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  std::size_t need = stride * static_cast<std::size_t>(height);
  if (maskFollows)
    need += maskStride * static_cast<std::size_t>(height);
  if (rowsAt > size || size - rowsAt < need)
    return fail(why, "the bitmap's pixels are cut short");

  const unsigned char* palette = dib + paletteAt;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  bool anyAlpha = false;
  for (long y = 0; y < height; ++y) {
    long fileRow = topDown ? y : height - 1 - y;
    const unsigned char* row = dib + rowsAt + stride * static_cast<std::size_t>(fileRow);
    std::uint32_t* out = &image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
    for (long x = 0; x < width; ++x) {
      std::uint32_t pixel;
      if (bits >= 24) {
        const unsigned char* p = row + static_cast<std::size_t>(x) * (bits / 8);
        std::uint32_t alpha = bits == 32 ? p[3] : 0xFF;
        anyAlpha = anyAlpha || (bits == 32 && alpha != 0);
        pixel = (alpha << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
      } else {
        std::size_t bit = static_cast<std::size_t>(x) * bits;
        unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= paletteCount)
          return fail(why, "the bitmap names a colour its table does not have");
        const unsigned char* c = palette + index * 4;
        pixel = 0xFF000000u | (std::uint32_t(c[2]) << 16) | (std::uint32_t(c[1]) << 8) | c[0];
      }
      out[x] = pixel;
    }
  }
  // A 32-bit bitmap without any alpha is opaque, as Windows shows it.
  if (bits == 32 && !anyAlpha)
    for (std::uint32_t& p : image.pixels)
      p |= 0xFF000000u;
  if (maskFollows) {
    const unsigned char* mask = dib + rowsAt + need - maskStride * static_cast<std::size_t>(height);
    for (long y = 0; y < height; ++y) {
      long fileRow = topDown ? y : height - 1 - y;
      const unsigned char* row = mask + maskStride * static_cast<std::size_t>(fileRow);
      for (long x = 0; x < width; ++x) {
        bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
        std::uint32_t& p = image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                        static_cast<std::size_t>(x)];
        // A 32-bit icon's alpha channel wins over its mask.
        if (bits == 32 && anyAlpha)
          continue;
        p = transparent ? 0 : (p | 0xFF000000u);
      }
    }
  }
  return true;
}

} // namespace

bool IImageCodec::decodeBmp(const unsigned char* data, std::size_t size, IImage& image,
                            std::string& why) {
  if (data == nullptr || size < 14 + 40)
    return fail(why, "the file is too short for a bitmap");
  if (data[0] != 'B' || data[1] != 'M')
    return fail(why, "the file is not a bitmap (no BM signature)");
  std::uint32_t pixelsAt = le32(data + 10);
  if (pixelsAt < 14 + 40 || pixelsAt > size)
    return fail(why, "the bitmap's pixel offset is out of range");
  return decodeDib(data + 14, size - 14, 0, pixelsAt - 14, false, image, why);
}

bool IImageCodec::decodeIco(const unsigned char* data, std::size_t size, long wantSize,
                            IImage& image, std::string& why) {
  if (data == nullptr || size < 6)
    return fail(why, "the file is too short for an icon");
  if (le16(data) != 0 || le16(data + 2) != 1)
    return fail(why, "the file is not an icon (no icon directory)");
  std::size_t count = le16(data + 4);
  if (count == 0 || 6 + count * 16 > size)
    return fail(why, "the icon directory is empty or cut short");
  std::size_t best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (std::size_t i = 0; i < count && wantSize > 0; ++i) {
    long side = data[6 + i * 16] == 0 ? 256 : data[6 + i * 16];
    long distance = std::labs(side - wantSize);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  const unsigned char* entry = data + 6 + best * 16;
  std::uint32_t bytes = le32(entry + 8), at = le32(entry + 12);
  if (at > size || bytes > size - at)
    return fail(why, "the icon's image lies outside the file");
  const unsigned char* dib = data + at;
  if (bytes >= 8 && dib[0] == 0x89 && dib[1] == 'P')
    return fail(why, "the icon's image is a PNG, which is not supported");
  if (bytes < 40)
    return fail(why, "the icon's image is cut short");
  long doubled = sle32(dib + 8);
  if (doubled <= 0 || doubled % 2 != 0)
    return fail(why, "the icon's image has an odd height");
  return decodeDib(dib, bytes, doubled / 2, 0, true, image, why);
}
