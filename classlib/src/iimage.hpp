// Pictures decoded from the resource formats (.bmp, .ico) into pixels, and the decoded
// accelerator table: the POSIX form of the program's bitmap, icon and accelerator resources.
#ifndef IIMAGE_HPP
#define IIMAGE_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ihandle.hpp"
#include "iresourcetable.hpp"

// Pixels row by row from the top, each 0xAARRGGBB (alpha 0xFF: opaque; 0: transparent).
struct IImage {
  long width = 0;
  long height = 0;
  std::vector<std::uint32_t> pixels;
};

struct IAcceleratorTable {
  std::vector<IAcceleratorEntry> entries;
};

namespace IImageCodec {
// A Windows bitmap file (BITMAPFILEHEADER, then BITMAPINFOHEADER or larger): 1, 4, 8, 24 and
// 32 bits per pixel, uncompressed (BI_RGB), bottom-up or top-down. False with the reason in
// why for anything else, a truncated file or a size beyond the sane.
bool decodeBmp(const unsigned char* data, std::size_t size, IImage& image, std::string& why);
// An icon file (ICONDIR): the image closest to wantSize pixels square (0: the first), a DIB
// with its AND mask (1, 4, 8, 24 and 32 bits) or, for 32-bit icons, its alpha channel.
bool decodeIco(const unsigned char* data, std::size_t size, long wantSize, IImage& image,
               std::string& why);
} // namespace IImageCodec

// On POSIX the handles of IResourceLibrary are the addresses of these decoded forms.
namespace IResourcePosix {
const IImage* bitmapOf(const IBitmapHandle& handle);
const IImage* iconOf(const IPointerHandle& handle);
const IAcceleratorTable* acceleratorsOf(const IAccelTblHandle& handle);
} // namespace IResourcePosix

#endif
