// Picture decoding in the browser: the browser's own JPEG decoder, which
// also stretches the picture to the size the shared size rule gives (as the
// Windows loader lets GDI do), then the shared pixel pass.
#include "assets/picture_decode.h"

#include <emscripten.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr uint8_t jpeg_marker = 0xFF;
constexpr uint8_t end_of_image = 0xD9;

// Decodes `size` bytes at `data` in the page, without colour management or
// orientation, as a JPEG library would. Returns width * 65536 + height, or
// 0 when the browser cannot decode it; the picture waits in the page for
// stretch_decoded_picture.
// clang-format off
EM_ASYNC_JS(double, decode_picture_in_page, (const uint8_t* data, int size), {
  Module['zarnic_decoded_picture'] = null;
  try {
    var blob = new Blob([HEAPU8.slice(data, data + size)], {
      type:
        'image/jpeg'
    });
    var bitmap = await createImageBitmap(
        blob, {colorSpaceConversion : 'none', premultiplyAlpha : 'none', imageOrientation : 'none'});
    Module['zarnic_decoded_picture'] = bitmap;
    return bitmap.width * 65536 + bitmap.height;
  } catch (e) {
    return 0;
  }
});
// clang-format on

// Stretches the whole decoded picture to width x height (smoothed, aspect
// not kept) and writes its RGBA rows, top row first; the page drops it.
// clang-format off
EM_JS(void, stretch_decoded_picture, (int width, int height, uint8_t* out), {
  var bitmap = Module['zarnic_decoded_picture'];
  Module['zarnic_decoded_picture'] = null;
  var canvas = new OffscreenCanvas(width, height);
  var context = canvas.getContext('2d');
  context.imageSmoothingEnabled = true;
  context.imageSmoothingQuality = 'high';
  context.drawImage(bitmap, 0, 0, width, height);
  bitmap.close();
  HEAPU8.set(context.getImageData(0, 0, width, height).data, out);
});
// clang-format on

// clang-format off
EM_JS(void, drop_decoded_picture, (), {
  var bitmap = Module['zarnic_decoded_picture'];
  Module['zarnic_decoded_picture'] = null;
  if (bitmap) bitmap.close();
});
// clang-format on

// The browser shows what it can of a cut-off JPEG; a JPEG library reports
// it. Only a stream that starts as a JPEG and still holds its end marker is
// handed over, so a truncated picture fails as it does elsewhere.
bool whole_jpeg(const uint8_t* jpeg, size_t size) {
  if (size < 4 || !has_jpeg_signature(jpeg, size)) return false;
  for (size_t i = size - 1; i >= 3; --i) {
    if (jpeg[i] == end_of_image && jpeg[i - 1] == jpeg_marker) return true;
  }
  return false;
}

}  // namespace

bool decode_picture(const uint8_t* jpeg, size_t size, int max_texture_size, PictureImage* out) {
  if (jpeg == nullptr || size == 0 || size > 0x7FFFFFFF || max_texture_size < 1 || !whole_jpeg(jpeg, size)) {
    return false;
  }
  const double packed = decode_picture_in_page(jpeg, static_cast<int>(size));
  if (packed < 1) return false;
  const int width = static_cast<int>(packed / 65536);
  const int height = static_cast<int>(packed) % 65536;
  if (width < 1 || height < 1 || width > max_picture_side || height > max_picture_side) {
    drop_decoded_picture();
    return false;
  }
  const int texture_width = picture_texture_size(width, max_texture_size);
  const int texture_height = picture_texture_size(height, max_texture_size);
  const size_t texel_count = static_cast<size_t>(texture_width) * texture_height;
  std::vector<uint8_t> top_down(texel_count * 4);
  stretch_decoded_picture(texture_width, texture_height, top_down.data());
  // Bottom row first, then the pixel pass in place.
  std::vector<uint8_t> rgba(texel_count * 4);
  const size_t row_bytes = static_cast<size_t>(texture_width) * 4;
  for (int row = 0; row < texture_height; ++row) {
    std::memcpy(&rgba[static_cast<size_t>(row) * row_bytes],
                &top_down[static_cast<size_t>(texture_height - 1 - row) * row_bytes], row_bytes);
  }
  picture_pixel_pass(PicturePixels::rgbx, rgba.data(), rgba.data(), texel_count);
  out->width = texture_width;
  out->height = texture_height;
  out->rgba = std::move(rgba);
  return true;
}
