// Small, well-formed pictures in formats other than JPEG (bitmap, GIF, icon,
// PNG), which every build's picture loader must refuse though a platform's
// picture service could decode them. Header-only and without libraries, so
// the Windows tests use it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace non_jpeg {

inline void put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  put16(out, at, v & 0xFFFF);
  put16(out, at + 2, v >> 16);
}

// The 40-byte header of a device-independent bitmap, 32 bits a pixel.
inline void put_dib_header(std::vector<uint8_t>& out, size_t at, int width, int height) {
  put32(out, at, 40);
  put32(out, at + 4, static_cast<uint32_t>(width));
  put32(out, at + 8, static_cast<uint32_t>(height));
  put16(out, at + 12, 1);
  put16(out, at + 14, 32);
}

// A bitmap file ("BM"), 32 bits a pixel, every pixel mid grey.
inline std::vector<uint8_t> make_bmp(int width, int height) {
  const size_t pixels = static_cast<size_t>(width) * height * 4;
  std::vector<uint8_t> file(14 + 40 + pixels, 128);
  file[0] = 'B', file[1] = 'M';
  put32(file, 2, static_cast<uint32_t>(file.size()));
  put32(file, 6, 0);
  put32(file, 10, 14 + 40);
  std::fill(file.begin() + 14, file.begin() + 54, 0);
  put_dib_header(file, 14, width, height);
  return file;
}

// An icon file of one width x width image, 32 bits a pixel, opaque grey.
inline std::vector<uint8_t> make_icon(int width) {
  const size_t colour = static_cast<size_t>(width) * width * 4;
  const size_t mask_row = ((width + 31) / 32) * 4;
  const size_t image = 40 + colour + mask_row * width;
  std::vector<uint8_t> file(6 + 16 + image, 0);
  put16(file, 2, 1);  // type: icon
  put16(file, 4, 1);  // one image
  file[6] = static_cast<uint8_t>(width);
  file[7] = static_cast<uint8_t>(width);
  put16(file, 10, 1);   // planes
  put16(file, 12, 32);  // bits a pixel
  put32(file, 14, static_cast<uint32_t>(image));
  put32(file, 18, 6 + 16);
  // An icon's bitmap is as tall as its colour and mask rows together.
  put_dib_header(file, 22, width, 2 * width);
  for (size_t i = 0; i < colour; i += 4) {
    file[62 + i] = file[62 + i + 1] = file[62 + i + 2] = 128;
    file[62 + i + 3] = 255;
  }
  return file;
}

// A one-pixel GIF (87a layout with the 89a signature): a two-colour table
// and one LZW-coded pixel.
inline std::vector<uint8_t> make_gif() {
  return {'G', 'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0x80, 0x80, 0x80, 0,   0,
          0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0,    0x3B};
}

// The PNG signature and the start of its header chunk.
inline std::vector<uint8_t> make_png_head() {
  return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1};
}

struct Named {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Every format above, each under the name a JPEG would have.
inline std::vector<Named> all_as_jpg() {
  return {{"bitmap.jpg", make_bmp(8, 8)},
          {"icon.jpg", make_icon(16)},
          {"gif.jpg", make_gif()},
          {"png.jpg", make_png_head()}};
}

}  // namespace non_jpeg
