// Feeds arbitrary bytes through the picture path up to the GL upload: JPEG
// decode, size rule, resample and pixel pass. The first input byte picks the
// largest texture size, so the cap is exercised too. An accepted picture must
// come out as a power-of-two RGBA image within the cap, every fourth byte
// set by the pixel pass.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/picture_decode.h"

namespace {

constexpr int max_sizes[] = {1, 2, 64, 1024, 2048, 16384};

void require(bool condition) {
  if (!condition) std::abort();
}

bool power_of_two(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int max_size = max_sizes[data[0] % (sizeof(max_sizes) / sizeof(max_sizes[0]))];
  PictureImage image;
  if (!decode_picture(data + 1, size - 1, max_size, &image)) return 0;
  require(power_of_two(image.width) && power_of_two(image.height));
  require(image.width <= max_size && image.height <= max_size);
  require(image.rgba.size() == static_cast<size_t>(image.width) * image.height * 4);
  for (size_t i = 3; i < image.rgba.size(); i += 4) require(image.rgba[i] == picture_fourth_byte);
  return 0;
}
