#include "assets/picture_rules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One pass for every layout: `stride` bytes a source pixel, red at byte
// `red`, green at 1, blue at `blue`. All three are read before any is
// written, as source and rgba may be one buffer.
template <size_t stride, size_t red, size_t blue>
void pixel_pass(const uint8_t* source, uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t r = source[stride * i + red];
    const uint8_t g = source[stride * i + 1];
    const uint8_t b = source[stride * i + blue];
    rgba[4 * i] = r;
    rgba[4 * i + 1] = g;
    rgba[4 * i + 2] = b;
    rgba[4 * i + 3] = picture_fourth_byte;
  }
}

}  // namespace

bool picture_path_is_url(const char* path) { return std::strstr(path, "http://") != nullptr; }

bool has_jpeg_signature(const uint8_t* head, size_t size) {
  return size >= jpeg_signature_size && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

int picture_texture_size(int pixel_size, int max_size) {
  const int d = std::max(1, std::min(pixel_size, max_size));
  const int exponent = static_cast<int>(std::floor(std::log(d) / std::log(2.0) + 0.5));
  return 1 << exponent;
}

void picture_pixel_pass(PicturePixels layout, const uint8_t* source, uint8_t* rgba, size_t count) {
  switch (layout) {
    case PicturePixels::rgb:
      pixel_pass<3, 0, 2>(source, rgba, count);
      return;
    case PicturePixels::bgrx:
      pixel_pass<4, 2, 0>(source, rgba, count);
      return;
    case PicturePixels::rgbx:
      pixel_pass<4, 0, 2>(source, rgba, count);
      return;
  }
}
