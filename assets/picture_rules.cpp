#include "assets/picture_rules.h"

#include <algorithm>
#include <cmath>

bool has_jpeg_signature(const uint8_t* head, size_t size) {
  return size >= jpeg_signature_size && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

int picture_texture_size(int pixel_size, int max_size) {
  const int d = std::max(1, std::min(pixel_size, max_size));
  const int exponent = static_cast<int>(std::floor(std::log(d) / std::log(2.0) + 0.5));
  return 1 << exponent;
}

void picture_pixel_pass(PicturePixels layout, const uint8_t* source, uint8_t* rgba, size_t count) {
  if (layout == PicturePixels::rgb) {
    for (size_t i = 0; i < count; ++i) {
      rgba[4 * i] = source[3 * i];
      rgba[4 * i + 1] = source[3 * i + 1];
      rgba[4 * i + 2] = source[3 * i + 2];
      rgba[4 * i + 3] = picture_fourth_byte;
    }
    return;
  }
  if (layout == PicturePixels::rgbx) {
    for (size_t i = 0; i < count; ++i) {
      rgba[4 * i] = source[4 * i];
      rgba[4 * i + 1] = source[4 * i + 1];
      rgba[4 * i + 2] = source[4 * i + 2];
      rgba[4 * i + 3] = picture_fourth_byte;
    }
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    // Read all three before writing: source and rgba may be one buffer.
    const uint8_t blue = source[4 * i];
    const uint8_t green = source[4 * i + 1];
    const uint8_t red = source[4 * i + 2];
    rgba[4 * i] = red;
    rgba[4 * i + 1] = green;
    rgba[4 * i + 2] = blue;
    rgba[4 * i + 3] = picture_fourth_byte;
  }
}
