#include "tools/datagen/jpeg_writer.h"

#include <turbojpeg.h>

namespace {
constexpr int quality = 90;
}

std::vector<uint8_t> encode_jpeg(const Image& image) {
  tjhandle handle = tjInitCompress();
  if (!handle) return {};
  const std::vector<uint8_t> rgb = image.to_rgb8();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle, rgb.data(), image.width(), image.width() * 3, image.height(), TJPF_RGB, &jpeg,
                                 &size, TJSAMP_444, quality, TJFLAG_ACCURATEDCT);
  std::vector<uint8_t> out;
  if (result == 0) out.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(handle);
  return out;
}
