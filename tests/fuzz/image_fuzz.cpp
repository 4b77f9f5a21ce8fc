// The .bmp and .ico decoders: any bytes decode or are refused without a fault, and a decoded
// picture has the pixels its size says.
#include "fuzzcheck.hpp"
#include "iimage.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void checkDecoded(bool decoded, const IImage& image, const std::string& why) {
  if (!decoded) {
    FUZZ_CHECK(!why.empty());
    return;
  }
  FUZZ_CHECK(image.width > 0 && image.height > 0);
  FUZZ_CHECK(image.width <= 16384 && image.height <= 16384);
  FUZZ_CHECK(image.pixels.size() ==
             static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Each input is tried as both: a file's name does not make its bytes what they claim.
  IImage bitmap;
  std::string why;
  checkDecoded(IImageCodec::decodeBmp(data, size, bitmap, why), bitmap, why);

  // The icon size the program asks for: 0 (the first image), the sizes it uses, or odd ones.
  const long sizes[] = {0, 16, 32, 48, 256, -1};
  for (long want : sizes) {
    IImage icon;
    why.clear();
    checkDecoded(IImageCodec::decodeIco(data, size, want, icon, why), icon, why);
  }
  return 0;
}
