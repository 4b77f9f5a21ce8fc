// The .bmp and .ico decoders: the depths and orientations a resource can have, the icon's mask
// and size choice, and files that are short, lying or hostile.
#include "iimage.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& v, std::size_t at, unsigned x) {
  v[at] = x & 0xFF;
  v[at + 1] = (x >> 8) & 0xFF;
}
void put32(std::vector<unsigned char>& v, std::size_t at, long x) {
  for (int i = 0; i < 4; ++i)
    v[at + i] = static_cast<unsigned char>((static_cast<unsigned long>(x) >> (8 * i)) & 0xFF);
}

// A BITMAPINFOHEADER for width x height at bits per pixel, with colours palette entries.
std::vector<unsigned char> infoHeader(long width, long height, unsigned bits, unsigned colours) {
  std::vector<unsigned char> h(40, 0);
  put32(h, 0, 40);
  put32(h, 4, width);
  put32(h, 8, height);
  put16(h, 12, 1);
  put16(h, 14, bits);
  put32(h, 32, colours);
  return h;
}

// A .bmp file of a 24-bit picture given top row first; bottom-up unless topDown.
std::vector<unsigned char> bmp24(const std::vector<std::vector<std::uint32_t>>& rows, bool topDown = false) {
  long height = static_cast<long>(rows.size()), width = static_cast<long>(rows[0].size());
  std::size_t stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  std::vector<unsigned char> info = infoHeader(width, topDown ? -height : height, 24, 0);
  file.insert(file.end(), info.begin(), info.end());
  put32(file, 10, 54);
  for (long r = 0; r < height; ++r) {
    const auto& row = rows[topDown ? r : height - 1 - r];
    std::vector<unsigned char> line(stride, 0);
    for (long x = 0; x < width; ++x) {
      line[x * 3] = row[x] & 0xFF;
      line[x * 3 + 1] = (row[x] >> 8) & 0xFF;
      line[x * 3 + 2] = (row[x] >> 16) & 0xFF;
    }
    file.insert(file.end(), line.begin(), line.end());
  }
  put32(file, 2, static_cast<long>(file.size()));
  return file;
}

TEST(ImageCodec, Bmp24BothOrientationsComeOutTopRowFirst) {
  std::vector<std::vector<std::uint32_t>> rows{{0xFF0000, 0x00FF00, 0x0000FF}, {0x123456, 0xABCDEF, 0x000000}};
  for (bool topDown : {false, true}) {
    std::vector<unsigned char> file = bmp24(rows, topDown);
    IImage image;
    std::string why;
    ASSERT_TRUE(IImageCodec::decodeBmp(file.data(), file.size(), image, why)) << why;
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, std::vector<std::uint32_t>({0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                                        0xFF123456, 0xFFABCDEF, 0xFF000000}));
  }
}

TEST(ImageCodec, BrokenBitmapsAreRefusedWithAReason) {
  std::vector<unsigned char> good = bmp24({{1, 2}, {3, 4}});
  IImage image;
  std::string why;
  // Cut short, anywhere from the header to the last pixel row.
  for (std::size_t size : {std::size_t(0), std::size_t(10), std::size_t(53), good.size() - 1}) {
    why.clear();
    EXPECT_FALSE(IImageCodec::decodeBmp(good.data(), size, image, why)) << size;
    EXPECT_FALSE(why.empty());
  }
  std::vector<unsigned char> bad = good;
  bad[0] = 'X';
  EXPECT_FALSE(IImageCodec::decodeBmp(bad.data(), bad.size(), image, why));
  bad = good;
  put32(bad, 14 + 4, 1 << 30); // a width that would ask for gigabytes
  EXPECT_FALSE(IImageCodec::decodeBmp(bad.data(), bad.size(), image, why));
  bad = good;
  put32(bad, 14 + 8, -0x7FFFFFFF - 1); // top-down, its height beyond a 32-bit long's negation
  EXPECT_FALSE(IImageCodec::decodeBmp(bad.data(), bad.size(), image, why));
  EXPECT_NE(why.find("size"), std::string::npos) << why;
  bad = good;
  put32(bad, 10, 0x7FFFFFF0); // pixels beyond the file
  EXPECT_FALSE(IImageCodec::decodeBmp(bad.data(), bad.size(), image, why));
  bad = good;
  put32(bad, 14 + 16, 1); // RLE compression
  EXPECT_FALSE(IImageCodec::decodeBmp(bad.data(), bad.size(), image, why));
  EXPECT_NE(why.find("compressed"), std::string::npos);
}

// A 4-bit 16-colour icon file: 4 x 4 (or size x size) with indexes and a mask.
std::vector<unsigned char> icon4(long size, unsigned char index, bool maskCorner) {
  std::size_t stride = ((size * 4 + 31) / 32) * 4, maskStride = ((size + 31) / 32) * 4;
  std::vector<unsigned char> dib = infoHeader(size, size * 2, 4, 16);
  for (unsigned i = 0; i < 16; ++i) {
    unsigned char c[4] = {static_cast<unsigned char>(i * 16), 0, static_cast<unsigned char>(255 - i), 0};
    dib.insert(dib.end(), c, c + 4);
  }
  for (long y = 0; y < size; ++y) {
    std::vector<unsigned char> line(stride, static_cast<unsigned char>((index << 4) | index));
    dib.insert(dib.end(), line.begin(), line.end());
  }
  for (long y = 0; y < size; ++y) {
    std::vector<unsigned char> line(maskStride, 0);
    // The file's first mask row is the picture's bottom row: mark its top-left pixel.
    if (maskCorner && y == size - 1)
      line[0] = 0x80;
    dib.insert(dib.end(), line.begin(), line.end());
  }
  return dib;
}

std::vector<unsigned char> icoFile(const std::vector<std::pair<long, std::vector<unsigned char>>>& images) {
  std::vector<unsigned char> file(6 + 16 * images.size(), 0);
  put16(file, 2, 1);
  put16(file, 4, static_cast<unsigned>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::size_t entry = 6 + 16 * i;
    file[entry] = static_cast<unsigned char>(images[i].first);
    file[entry + 1] = static_cast<unsigned char>(images[i].first);
    put32(file, entry + 8, static_cast<long>(images[i].second.size()));
    put32(file, entry + 12, static_cast<long>(file.size()));
    file.insert(file.end(), images[i].second.begin(), images[i].second.end());
  }
  return file;
}

TEST(ImageCodec, IconPaletteMaskAndSizeChoice) {
  std::vector<unsigned char> file = icoFile({{16, icon4(16, 3, false)}, {32, icon4(32, 5, true)}});
  IImage image;
  std::string why;
  ASSERT_TRUE(IImageCodec::decodeIco(file.data(), file.size(), 32, image, why)) << why;
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.pixels[0], 0u);                         // masked out: transparent
  EXPECT_EQ(image.pixels[1], 0xFFFA0050u);                // colour 5: red 255-5, blue 5*16
  ASSERT_TRUE(IImageCodec::decodeIco(file.data(), file.size(), 0, image, why)) << why;
  EXPECT_EQ(image.width, 16); // 0: the first image
  ASSERT_TRUE(IImageCodec::decodeIco(file.data(), file.size(), 20, image, why)) << why;
  EXPECT_EQ(image.width, 16); // the nearest size
}

TEST(ImageCodec, BrokenIconsAreRefused) {
  std::vector<unsigned char> good = icoFile({{32, icon4(32, 5, true)}});
  IImage image;
  std::string why;
  for (std::size_t size : {std::size_t(0), std::size_t(5), std::size_t(21), good.size() - 1})
    EXPECT_FALSE(IImageCodec::decodeIco(good.data(), size, 32, image, why)) << size;
  std::vector<unsigned char> bad = good;
  put32(bad, 6 + 12, 0x7FFFFFFF); // image offset beyond the file
  EXPECT_FALSE(IImageCodec::decodeIco(bad.data(), bad.size(), 32, image, why));
  bad = good;
  put16(bad, 4, 60000); // more entries than the file holds
  EXPECT_FALSE(IImageCodec::decodeIco(bad.data(), bad.size(), 32, image, why));
  bad = good;
  put32(bad, 22 + 8, 33); // an odd doubled height
  EXPECT_FALSE(IImageCodec::decodeIco(bad.data(), bad.size(), 32, image, why));
}

} // namespace
