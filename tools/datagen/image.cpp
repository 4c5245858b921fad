#include "tools/datagen/image.h"

#include <algorithm>
#include <cmath>

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb mix(Rgb a, Rgb b, float k) { return a * (1.0f - k) + b * k; }

Image::Image(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

void Image::add_mask(const std::vector<float>& coverage, Rgb colour) {
  for (size_t i = 0; i < pixels_.size() && i < coverage.size(); ++i) pixels_[i] = pixels_[i] + colour * coverage[i];
}

void Image::over_mask(const std::vector<float>& coverage, Rgb colour) {
  for (size_t i = 0; i < pixels_.size() && i < coverage.size(); ++i)
    pixels_[i] = mix(pixels_[i], colour, std::clamp(coverage[i], 0.0f, 1.0f));
}

std::vector<uint8_t> Image::to_rgb8() const {
  std::vector<uint8_t> out;
  out.reserve(pixels_.size() * 3);
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (const Rgb& p : pixels_) {
    out.push_back(byte(p.r));
    out.push_back(byte(p.g));
    out.push_back(byte(p.b));
  }
  return out;
}

namespace {

// One box pass along rows (step 1) or columns (step width), edges clamped.
void box_pass(std::vector<float>& v, int width, int height, int radius, bool along_rows) {
  const int lines = along_rows ? height : width;
  const int length = along_rows ? width : height;
  std::vector<float> line(length);
  const float norm = 1.0f / static_cast<float>(2 * radius + 1);
  for (int l = 0; l < lines; ++l) {
    auto idx = [&](int k) {
      return along_rows ? static_cast<size_t>(l) * width + k : static_cast<size_t>(k) * width + l;
    };
    for (int k = 0; k < length; ++k) line[k] = v[idx(k)];
    for (int k = 0; k < length; ++k) {
      float sum = 0.0f;
      for (int d = -radius; d <= radius; ++d) sum += line[std::clamp(k + d, 0, length - 1)];
      v[idx(k)] = sum * norm;
    }
  }
}

uint32_t hash2(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

}  // namespace

Mask blur(const Mask& mask, int radius) {
  Mask out = mask;
  for (int pass = 0; pass < 3; ++pass) {
    box_pass(out.value, out.width, out.height, radius, true);
    box_pass(out.value, out.width, out.height, radius, false);
  }
  return out;
}

float smoothstep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

float value_noise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx);
  const int32_t iy = static_cast<int32_t>(fy);
  const float tx = smoothstep(0.0f, 1.0f, x - fx);
  const float ty = smoothstep(0.0f, 1.0f, y - fy);
  auto corner = [&](int dx, int dy) { return static_cast<float>(hash2(ix + dx, iy + dy, seed) >> 8) / 16777216.0f; };
  const float top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * tx;
  const float bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * tx;
  return top + (bottom - top) * ty;
}

float fractal_noise(float x, float y, int octaves, uint32_t seed) {
  float sum = 0.0f;
  float amplitude = 0.5f;
  float total = 0.0f;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * value_noise(x, y, seed + static_cast<uint32_t>(o) * 101u);
    total += amplitude;
    x *= 2.0f;
    y *= 2.0f;
    amplitude *= 0.5f;
  }
  return sum / total;
}

uint32_t SeededRandom::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

float SeededRandom::uniform() { return static_cast<float>(next() >> 8) / 16777216.0f; }
