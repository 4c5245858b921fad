#include "assets/picture_decode.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "assets/picture_resample.h"

namespace {

// One TurboJPEG decompressor for the length of a call.
class JpegDecompressor {
 public:
  JpegDecompressor() : handle_(tjInitDecompress()) {}
  ~JpegDecompressor() {
    if (handle_ != nullptr) tjDestroy(handle_);
  }
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  tjhandle get() const { return handle_; }

 private:
  tjhandle handle_;
};

// The smallest of libjpeg-turbo's reduced scales that still yields at least
// `need` pixels on each side: decoding a large picture smaller is far
// cheaper, and the resampler only ever shrinks from there.
tjscalingfactor decode_scale(int width, int height, int need_width, int need_height) {
  tjscalingfactor best{1, 1};
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; factors != nullptr && i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;
    const int w = TJSCALED(width, f);
    const int h = TJSCALED(height, f);
    if (w >= need_width && h >= need_height && w < TJSCALED(width, best)) best = f;
  }
  return best;
}

}  // namespace

bool decode_picture(const uint8_t* jpeg, size_t size, int max_texture_size, PictureImage* out) {
  if (jpeg == nullptr || !has_jpeg_signature(jpeg, size) || max_texture_size < 1) return false;
  JpegDecompressor decompressor;
  if (decompressor.get() == nullptr) return false;

  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(decompressor.get(), jpeg, size, &width, &height, &subsampling, &colorspace) != 0) {
    return false;
  }
  if (width < 1 || height < 1 || width > max_picture_side || height > max_picture_side) {
    return false;
  }
  const int texture_width = picture_texture_size(width, max_texture_size);
  const int texture_height = picture_texture_size(height, max_texture_size);

  const tjscalingfactor scale =
      decode_scale(width, height, std::min(texture_width, width), std::min(texture_height, height));
  const int decoded_width = TJSCALED(width, scale);
  const int decoded_height = TJSCALED(height, scale);
  const size_t texel_count = static_cast<size_t>(texture_width) * texture_height;
  std::vector<uint8_t> rgba(texel_count * 4);
  // Any warning (a truncated or damaged stream) counts as a failure too.
  if (decoded_width == texture_width && decoded_height == texture_height) {
    // Already at its texture size (after any reduced-scale decode): decoded
    // straight into the texels, the pixel pass run over them in place.
    if (tjDecompress2(decompressor.get(), jpeg, size, rgba.data(), decoded_width, 0, decoded_height, TJPF_RGBX,
                      TJFLAG_BOTTOMUP) != 0) {
      return false;
    }
    picture_pixel_pass(PicturePixels::rgbx, rgba.data(), rgba.data(), texel_count);
  } else {
    // Decoded as packed RGB, a quarter less work and memory than RGBA; the
    // resampler adds the fourth byte.
    std::vector<uint8_t> decoded(static_cast<size_t>(decoded_width) * decoded_height * 3);
    if (tjDecompress2(decompressor.get(), jpeg, size, decoded.data(), decoded_width, 0, decoded_height, TJPF_RGB,
                      TJFLAG_BOTTOMUP) != 0) {
      return false;
    }
    resample_picture(decoded.data(), decoded_width, decoded_height, texture_width, texture_height, picture_fourth_byte,
                     rgba.data());
  }

  out->width = texture_width;
  out->height = texture_height;
  out->rgba = std::move(rgba);
  return true;
}
