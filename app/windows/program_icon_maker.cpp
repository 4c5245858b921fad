// Built for the build machine, not for Windows: draws the Windows programs'
// icon, a lit orange sphere inside a faint halo (the show's spheres and
// particles), and writes it as an icon file with one 32-bit image per size.
//   program_icon_maker OUT.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int icon_sizes[] = {16, 32, 48, 64};
// Samples per pixel side, for smooth edges at the small sizes.
constexpr int samples = 4;
constexpr double sphere_radius = 0.40;  // of the icon's side
constexpr double halo_radius = 0.49;
constexpr double halo_alpha = 0.35;

struct Rgba {
  double r, g, b, a;
};

// The colour at (x, y), in units of the icon's side from its centre, y down.
Rgba shade(double x, double y) {
  const double d2 = x * x + y * y;
  if (d2 < sphere_radius * sphere_radius) {
    const double nx = x / sphere_radius, ny = y / sphere_radius;
    const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
    // Light from the upper left, towards the viewer.
    const double lx = -0.45, ly = -0.55, lz = 0.70;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    const double highlight = std::pow(diffuse, 24.0);
    const double lit = 0.22 + 0.78 * diffuse;
    return {std::min(1.0, 1.00 * lit + highlight), std::min(1.0, 0.55 * lit + highlight),
            std::min(1.0, 0.12 * lit + highlight), 1.0};
  }
  if (d2 < halo_radius * halo_radius) {
    const double t = (std::sqrt(d2) - sphere_radius) / (halo_radius - sphere_radius);
    return {1.0, 0.80, 0.45, halo_alpha * (1.0 - t)};
  }
  return {0, 0, 0, 0};
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// One icon image: a bitmap header twice the icon's height (colour rows, then
// the transparency mask's), blue-green-red-alpha rows from the bottom up,
// then an all-clear mask, since the alpha channel already says what shows.
std::vector<uint8_t> icon_image(int side) {
  std::vector<uint8_t> image;
  put32(image, 40);
  put32(image, static_cast<uint32_t>(side));
  put32(image, static_cast<uint32_t>(2 * side));
  put16(image, 1);
  put16(image, 32);
  for (int i = 0; i < 6; ++i) put32(image, 0);
  for (int row = side - 1; row >= 0; --row) {
    for (int column = 0; column < side; ++column) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          const double x = (column + (sx + 0.5) / samples) / side - 0.5;
          const double y = (row + (sy + 0.5) / samples) / side - 0.5;
          const Rgba c = shade(x, y);
          // Colours weighted by coverage, so edges do not darken.
          sum.r += c.r * c.a, sum.g += c.g * c.a, sum.b += c.b * c.a, sum.a += c.a;
        }
      }
      const double alpha = sum.a / (samples * samples);
      auto channel = [&](double weighted) {
        return static_cast<uint8_t>(std::lround(sum.a > 0 ? 255.0 * weighted / sum.a : 0.0));
      };
      image.push_back(channel(sum.b));
      image.push_back(channel(sum.g));
      image.push_back(channel(sum.r));
      image.push_back(static_cast<uint8_t>(std::lround(255.0 * alpha)));
    }
  }
  const size_t mask_row_bytes = static_cast<size_t>((side + 31) / 32) * 4;
  image.resize(image.size() + mask_row_bytes * side, 0);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.ico\n", argv[0]);
    return 2;
  }
  constexpr int count = sizeof(icon_sizes) / sizeof(icon_sizes[0]);
  std::vector<std::vector<uint8_t>> images;
  for (int side : icon_sizes) images.push_back(icon_image(side));

  // The directory: reserved, type 1 (icon), the count, then one entry per
  // image with its size, colour depth and where its bytes start.
  std::vector<uint8_t> file;
  put16(file, 0);
  put16(file, 1);
  put16(file, count);
  uint32_t offset = 6 + 16 * count;
  for (int i = 0; i < count; ++i) {
    file.push_back(static_cast<uint8_t>(icon_sizes[i]));
    file.push_back(static_cast<uint8_t>(icon_sizes[i]));
    file.push_back(0);  // no palette
    file.push_back(0);
    put16(file, 1);   // planes
    put16(file, 32);  // bits per pixel
    put32(file, static_cast<uint32_t>(images[i].size()));
    put32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::vector<uint8_t>& image : images) file.insert(file.end(), image.begin(), image.end());

  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
