// The picture loader's earlier resampling, kept as the reference that the
// quality test and the asset benchmark measure the current one against.
#pragma once

#include <stb_image_resize.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "assets/picture_decode.h"

// The earlier loader's decode_picture: decoded at the smallest reduced scale
// that still covers the texture size, then stretched by stb_image_resize.
inline bool reference_picture(const std::vector<uint8_t>& jpeg, int max_texture_size, PictureImage* out) {
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) != 0) {
    tjDestroy(handle);
    return false;
  }
  const int texture_width = picture_texture_size(width, max_texture_size);
  const int texture_height = picture_texture_size(height, max_texture_size);
  const int need_width = std::min(texture_width, width);
  const int need_height = std::min(texture_height, height);
  tjscalingfactor scale{1, 1};
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;
    if (TJSCALED(width, f) >= need_width && TJSCALED(height, f) >= need_height &&
        TJSCALED(width, f) < TJSCALED(width, scale)) {
      scale = f;
    }
  }
  const int decoded_width = TJSCALED(width, scale);
  const int decoded_height = TJSCALED(height, scale);
  std::vector<uint8_t> decoded(static_cast<size_t>(decoded_width) * decoded_height * 3);
  const bool decoded_ok = tjDecompress2(handle, jpeg.data(), jpeg.size(), decoded.data(), decoded_width, 0,
                                        decoded_height, TJPF_RGB, TJFLAG_BOTTOMUP) == 0;
  tjDestroy(handle);
  if (!decoded_ok) return false;

  const size_t texels = static_cast<size_t>(texture_width) * texture_height;
  std::vector<uint8_t> rgb = decoded;
  if (decoded_width != texture_width || decoded_height != texture_height) {
    rgb.resize(texels * 3);
    stbir_resize_uint8(decoded.data(), decoded_width, decoded_height, 0, rgb.data(), texture_width, texture_height, 0,
                       3);
  }
  out->width = texture_width;
  out->height = texture_height;
  out->rgba.resize(texels * 4);
  for (size_t i = 0; i < texels; ++i) {
    std::copy_n(&rgb[3 * i], 3, &out->rgba[4 * i]);
    out->rgba[4 * i + 3] = picture_fourth_byte;
  }
  return true;
}
