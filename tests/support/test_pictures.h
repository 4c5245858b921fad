// Real JPEG pictures for tests and benchmarks, made with TurboJPEG.
#pragma once

#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/files.h"

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb red{255, 0, 0};
constexpr Rgb green{0, 255, 0};
constexpr Rgb blue{0, 0, 255};
constexpr Rgb white{255, 255, 255};

// Encodes a width x height picture whose pixel at (x, y), y counted from the
// top row down, is colour(x, y). 4:4:4 at high quality, so flat areas keep
// their colour within a few steps.
template <typename ColourAt>
std::vector<uint8_t> make_jpeg(int width, int height, ColourAt colour) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  tjhandle compressor = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> out;
  if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_444, 95, 0) == 0) {
    out.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  tjDestroy(compressor);
  return out;
}

// Four flat quadrants: top-left blue, top-right white, bottom-left red,
// bottom-right green. Tells every flip and turn apart.
inline std::vector<uint8_t> make_quadrant_jpeg(int width, int height) {
  return make_jpeg(width, height, [=](int x, int y) {
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (bottom) return right ? green : red;
    return right ? white : blue;
  });
}

// Smooth shading with some fine texture, roughly what a photo costs to
// decode and how it resamples.
inline std::vector<uint8_t> make_photo_like_jpeg(int width, int height) {
  return make_jpeg(width, height, [=](int x, int y) {
    const double wave = std::sin(x * 0.05) * std::cos(y * 0.07);
    return Rgb{static_cast<uint8_t>(255 * x / width), static_cast<uint8_t>(255 * y / height),
               static_cast<uint8_t>(128 + 100 * wave + (x * 7 + y * 13) % 17)};
  });
}

inline std::vector<uint8_t> make_grey_jpeg(int width, int height) {
  return make_jpeg(width, height, [](int, int) { return Rgb{128, 128, 128}; });
}

