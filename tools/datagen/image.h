// A floating-point RGB canvas for painting the pictures, with the few
// compositing operations they need. Values are linear 0..1 per channel;
// to_rgb8 clamps and rounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, float k);
Rgb mix(Rgb a, Rgb b, float k);

class Image {
 public:
  Image(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Rgb& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // Adds colour × coverage for every pixel (coverage has width × height
  // entries, row 0 at the top like the image).
  void add_mask(const std::vector<float>& coverage, Rgb colour);
  // Blends toward colour by coverage.
  void over_mask(const std::vector<float>& coverage, Rgb colour);

  // 8-bit RGB, top row first.
  std::vector<uint8_t> to_rgb8() const;

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

// A single-channel mask of width × height, row 0 at the top.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> value;
};

// Three box-blur passes of the given radius: close to a Gaussian, cheap,
// and exactly repeatable.
Mask blur(const Mask& mask, int radius);

// Smooth 0..1 step between edge0 and edge1.
float smoothstep(float edge0, float edge1, float x);

// Deterministic value noise in [0, 1] and its fractal sum, from a seed.
float value_noise(float x, float y, uint32_t seed);
float fractal_noise(float x, float y, int octaves, uint32_t seed);

// A small seeded generator (xorshift), the same on every platform.
class SeededRandom {
 public:
  explicit SeededRandom(uint32_t seed) : state(seed ? seed : 1u) {}
  uint32_t next();
  float uniform();  // [0, 1)

 private:
  uint32_t state;
};
