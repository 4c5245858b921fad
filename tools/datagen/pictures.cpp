#include "tools/datagen/pictures.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/text_render.h"

namespace {

constexpr float pi = 3.14159265358979f;

Mask empty_mask(int width, int height) {
  return Mask{width, height, std::vector<float>(static_cast<size_t>(width) * height, 0.0f)};
}

float fract(float x) { return x - std::floor(x); }

// Distance, in cells, from x to the nearest whole number (periodic lines).
float line_distance(float x) { return std::fabs(fract(x + 0.5f) - 0.5f); }

// A square picture of `size` pixels, each shade(u, v) at the pixel's centre:
// u across and v down, from 0 to 1.
template <typename Shade>
Image paint_square(int size, Shade shade) {
  Image image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) image.at(x, y) = shade((x + 0.5f) / size, (y + 0.5f) / size);
  }
  return image;
}

// Text with a soft halo: the halo is the text's blurred coverage added in
// glow colour, then the letters are laid over in their own colour.
void glowing_text(Image& image, TextRender& font, const std::u32string& text, int size, int centre_x, int baseline,
                  Rgb colour, Rgb glow, int glow_radius, int spacing = 0) {
  Mask mask = empty_mask(image.width(), image.height());
  font.draw_centred(mask, text, size, centre_x, baseline, spacing);
  const Mask halo = blur(mask, glow_radius);
  image.add_mask(halo.value, glow);
  image.over_mask(mask.value, colour);
}

// A mirrored environment seen in a chrome ball: the classic sphere-map
// picture. The environment is a sky above a checkered floor with a sun.
struct Environment {
  Rgb zenith, horizon, ground, checker, sun;
  float sun_x, sun_y, sun_z;
};

Rgb look_up(const Environment& env, float rx, float ry, float rz) {
  const float len = std::sqrt(rx * rx + ry * ry + rz * rz);
  rx /= len;
  ry /= len;
  rz /= len;
  Rgb colour;
  if (ry >= 0.0f) {
    colour = mix(env.horizon, env.zenith, std::pow(ry, 0.6f));
  } else {
    // Floor plane one unit below: a checkerboard fading into the distance.
    const float px = rx / -ry;
    const float pz = rz / -ry;
    const float cell = (static_cast<int>(std::floor(px)) + static_cast<int>(std::floor(pz))) & 1;
    const float lines = 1.0f - smoothstep(0.0f, 0.06f, std::min(line_distance(px), line_distance(pz)));
    const float near = std::clamp(-ry * 2.2f, 0.0f, 1.0f);
    Rgb floor = mix(env.ground, env.checker, 0.35f * cell + 0.65f * lines);
    colour = mix(env.horizon * 0.7f, floor, near);
  }
  // A bright band along the horizon and the sun's glare.
  colour = colour + env.horizon * (0.6f * std::exp(-std::fabs(ry) * 18.0f));
  const float sun = std::max(0.0f, rx * env.sun_x + ry * env.sun_y + rz * env.sun_z);
  colour = colour + env.sun * (std::pow(sun, 180.0f) * 1.5f + std::pow(sun, 12.0f) * 0.25f);
  return colour;
}

Image paint_sphere_map(int width, int height, const Environment& env) {
  Image image(width, height);
  const float sl = std::sqrt(env.sun_x * env.sun_x + env.sun_y * env.sun_y + env.sun_z * env.sun_z);
  Environment e = env;
  e.sun_x /= sl;
  e.sun_y /= sl;
  e.sun_z /= sl;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Ball coordinates in [-1, 1], up positive; beyond the rim the rim's
      // colour continues, since stray texture coordinates may land there.
      float u = (x + 0.5f) / width * 2.0f - 1.0f;
      float v = 1.0f - (y + 0.5f) / height * 2.0f;
      const float r = std::sqrt(u * u + v * v);
      if (r > 0.995f) {
        u *= 0.995f / r;
        v *= 0.995f / r;
      }
      const float nz = std::sqrt(std::max(0.0f, 1.0f - u * u - v * v));
      // Reflect the view direction (0, 0, -1) about the ball's normal.
      const float rx = 2.0f * nz * u;
      const float ry = 2.0f * nz * v;
      const float rz = 2.0f * nz * nz - 1.0f;
      image.at(x, y) = look_up(e, rx, ry, rz);
    }
  }
  return image;
}

// Unit-size heart outline (x right, y up, roughly -1..1), as a polyline.
std::vector<std::pair<float, float>> heart_outline(int points) {
  std::vector<std::pair<float, float>> out;
  for (int i = 0; i < points; ++i) {
    const float t = 2.0f * pi * i / points;
    const float s = std::sin(t);
    const float x = 16.0f * s * s * s;
    const float y = 13.0f * std::cos(t) - 5.0f * std::cos(2 * t) - 2.0f * std::cos(3 * t) - std::cos(4 * t);
    out.emplace_back(x / 17.0f, (y + 2.5f) / 17.0f);
  }
  return out;
}

float distance_to_polyline(const std::vector<std::pair<float, float>>& line, float px, float py) {
  float best = 1e9f;
  for (size_t i = 0; i < line.size(); ++i) {
    const auto [ax, ay] = line[i];
    const auto [bx, by] = line[(i + 1) % line.size()];
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float k = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0f, 1.0f) : 0;
    const float ex = ax + k * dx - px, ey = ay + k * dy - py;
    best = std::min(best, ex * ex + ey * ey);
  }
  return std::sqrt(best);
}

}  // namespace

bool fonts_available() {
  for (const char* name : {"DejaVuSans-Bold.ttf", "DejaVuSans.ttf", "DejaVuSans-ExtraLight.ttf"})
    if (!TextRender(name).ok()) return false;
  return true;
}

Image paint_sphere_texture() {
  // Twelve nested spheres add up to two dozen layers of this picture, so it
  // is mostly black: thin lines and small nodes that turn into a moire of
  // rotating rings rather than a white haze.
  constexpr int size = 256;
  return paint_square(size, [](float u, float v) {
    // Distances in pixels to the nearest meridian (12) and parallel (6).
    const float du = line_distance(u * 12.0f) * size / 12.0f;
    const float dv = line_distance(v * 6.0f) * size / 6.0f;
    const float line = std::max(std::exp(-du * du / 0.8f), std::exp(-dv * dv / 0.8f));
    const float node = std::exp(-(du * du + dv * dv) / 6.0f);
    // Hue drifts from cyan at the top to violet at the bottom.
    const Rgb tint = mix(Rgb{0.1f, 0.75f, 1.0f}, Rgb{0.7f, 0.25f, 1.0f}, v);
    return tint * (0.6f * line) + Rgb{1.0f, 0.9f, 0.75f} * (0.8f * node);
  });
}

Image paint_heart_sphere_map() {
  Environment rose;
  rose.zenith = {0.22f, 0.02f, 0.12f};
  rose.horizon = {0.85f, 0.42f, 0.38f};
  rose.ground = {0.08f, 0.01f, 0.03f};
  rose.checker = {0.55f, 0.33f, 0.12f};
  rose.sun = {1.0f, 0.9f, 0.75f};
  rose.sun_x = -0.45f;
  rose.sun_y = 0.55f;
  rose.sun_z = 0.7f;
  return paint_sphere_map(300, 300, rose);
}

Image paint_env_map() {
  Environment cool;
  cool.zenith = {0.02f, 0.05f, 0.2f};
  cool.horizon = {0.35f, 0.7f, 0.9f};
  cool.ground = {0.01f, 0.03f, 0.06f};
  cool.checker = {0.1f, 0.4f, 0.55f};
  cool.sun = {0.9f, 0.95f, 1.0f};
  cool.sun_x = 0.5f;
  cool.sun_y = 0.5f;
  cool.sun_z = 0.7f;
  return paint_sphere_map(300, 200, cool);
}

Image paint_backdrop() {
  const int width = 800, height = 678;
  Image image(width, height);
  SeededRandom random(4242u);
  const float cx = width * 0.5f, cy = height * 0.5f;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = x / 160.0f, v = y / 160.0f;
      // Domain-warped fractal noise makes the gas clouds.
      const float warp = fractal_noise(u * 0.7f, v * 0.7f, 4, 11u);
      const float gas = fractal_noise(u + 2.0f * warp, v - 1.5f * warp, 6, 23u);
      const float dust = fractal_noise(u * 2.0f + 5.0f, v * 2.0f, 5, 37u);
      const float dx = (x - cx) / width, dy = (y - cy) / height;
      const float radius = std::sqrt(dx * dx + dy * dy);
      const float vignette = 1.0f - smoothstep(0.25f, 0.75f, radius);
      const float cloud = smoothstep(0.35f, 0.8f, gas);
      Rgb c = mix(Rgb{0.05f, 0.02f, 0.18f}, Rgb{0.55f, 0.15f, 0.6f}, cloud);
      c = mix(c, Rgb{0.1f, 0.55f, 0.7f}, smoothstep(0.55f, 0.9f, dust) * cloud);
      // Faint rings, a tunnel seen head-on.
      const float ring = std::pow(0.5f + 0.5f * std::cos(radius * 70.0f), 12.0f);
      c = c + Rgb{0.15f, 0.1f, 0.3f} * (ring * (1.0f - smoothstep(0.0f, 0.5f, radius)));
      image.at(x, y) = c * (0.1f + 0.3f * vignette);
    }
  }
  for (int i = 0; i < 700; ++i) {
    const int x = static_cast<int>(random.uniform() * width);
    const int y = static_cast<int>(random.uniform() * height);
    const float b = random.uniform();
    image.at(x, y) = image.at(x, y) + Rgb{0.7f, 0.75f, 0.9f} * (0.2f + 0.5f * b * b);
  }
  return image;
}

// The cover's floor: a perspective grid toward the horizon, averaged over
// 4 x 4 samples per pixel so the far lines blend instead of flickering into
// moire.
Rgb cover_floor(float x, float y, int width, int height, float horizon) {
  Rgb sum;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const float px = x + (sx + 0.5f) / 4.0f;
      const float py = y + (sy + 0.5f) / 4.0f;
      const float depth = std::max(1e-3f, (py - horizon) / (height - horizon));
      const float z = 1.0f / depth;
      const float gx = (px - width * 0.5f) / (width * 0.5f) * z * 4.0f;
      const float gz = z * 1.2f;
      const float line = (line_distance(gx) < 0.04f || line_distance(gz) < 0.03f * z) ? 1.0f : 0.0f;
      const float fade = smoothstep(0.0f, 0.5f, depth);
      sum = sum + Rgb{0.9f, 0.15f, 0.7f} * (line * fade * 0.8f) + Rgb{0.12f, 0.02f, 0.12f} * (1.0f - depth);
    }
  }
  return sum * (1.0f / 16.0f);
}

Image paint_cover() {
  const int width = 640, height = 506;
  Image image(width, height);
  SeededRandom random(2024u);
  const float horizon = height * 0.78f;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgb c;
      if (y < horizon) {
        // Sky: a dark violet glow rising from the horizon.
        const float k = (horizon - y) / horizon;
        c = Rgb{0.22f, 0.03f, 0.2f} * std::exp(-k * 3.5f);
      } else {
        c = cover_floor(static_cast<float>(x), static_cast<float>(y), width, height, horizon);
      }
      c = c + Rgb{1.0f, 0.4f, 0.8f} * (0.5f * std::exp(-std::fabs(y + 0.5f - horizon) / 3.0f));
      image.at(x, y) = c;
    }
  }
  for (int i = 0; i < 220; ++i) {
    const int x = static_cast<int>(random.uniform() * width);
    const int y = static_cast<int>(random.uniform() * horizon * 0.95f);
    const float b = random.uniform();
    image.at(x, y) = image.at(x, y) + Rgb{0.8f, 0.8f, 1.0f} * (0.2f + 0.6f * b * b);
  }
  // The upper middle stays dark sky: the emblem is added over it.
  TextRender bold("DejaVuSans-Bold.ttf");
  TextRender light("DejaVuSans-ExtraLight.ttf");
  glowing_text(image, bold, U"zarnic's engin", 66, width / 2, static_cast<int>(height * 0.655f),
               Rgb{0.95f, 0.97f, 1.0f}, Rgb{0.2f, 0.7f, 1.0f}, 7);
  glowing_text(image, light, U"a real-time demo", 21, width / 2, static_cast<int>(height * 0.735f),
               Rgb{0.85f, 0.8f, 0.95f}, Rgb{0.5f, 0.2f, 0.5f}, 3, 6);
  return image;
}

Image paint_emblem() {
  const int width = 400, height = 316;
  Image image(width, height);
  const auto outline = heart_outline(360);
  const float cx = width * 0.5f, cy = height * 0.3f;
  const float scale = height * 0.15f;  // heart half-size in pixels
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float px = (x + 0.5f - cx) / scale;
      const float py = (cy - y - 0.5f) / scale;
      const float d = distance_to_polyline(outline, px, py) * scale;  // pixels
      const float r = std::sqrt(px * px + py * py);
      const float angle = std::atan2(py, px);
      // Heart line with a wide halo, a ring around it, short rays beyond.
      const float line = std::exp(-d * d / 3.0f);
      const float halo = std::exp(-d / 9.0f) * 0.45f;
      const float ring_d = std::fabs(r - 1.35f) * scale;
      const float ring = std::exp(-ring_d * ring_d / 2.0f) * 0.7f + std::exp(-ring_d / 6.0f) * 0.2f;
      const float spokes = std::pow(0.5f + 0.5f * std::cos(angle * 24.0f), 16.0f);
      const float rays = spokes * smoothstep(1.42f, 1.5f, r) * (1.0f - smoothstep(1.5f, 1.75f, r));
      image.at(x, y) = Rgb{1.0f, 0.35f, 0.55f} * (line + halo) + Rgb{1.0f, 0.75f, 0.35f} * (ring + 0.8f * rays);
    }
  }
  return image;
}

Image paint_credits() {
  const int width = 616, height = 400;
  Image image(width, height);
  TextRender bold("DejaVuSans-Bold.ttf");
  TextRender regular("DejaVuSans.ttf");
  TextRender light("DejaVuSans-ExtraLight.ttf");
  glowing_text(image, bold, U"zarnic's engin", 56, width / 2, 108, Rgb{1.0f, 0.92f, 0.96f}, Rgb{1.0f, 0.25f, 0.55f}, 6);
  // A thin rule under the title, fading toward its ends.
  for (int x = 0; x < width; ++x) {
    const float k = 1.0f - std::fabs(x - width * 0.5f) / (width * 0.32f);
    if (k <= 0.0f) continue;
    for (int y = 134; y <= 136; ++y)
      image.at(x, y) = image.at(x, y) + Rgb{0.9f, 0.5f, 0.8f} * (k * (y == 135 ? 0.9f : 0.3f));
  }
  glowing_text(image, regular, U"code \u00b7 music \u00b7 graphics", 30, width / 2, 206, Rgb{0.85f, 0.95f, 1.0f},
               Rgb{0.1f, 0.45f, 0.8f}, 4);
  glowing_text(image, regular, U"by the zarnic crew", 30, width / 2, 252, Rgb{0.85f, 0.95f, 1.0f},
               Rgb{0.1f, 0.45f, 0.8f}, 4);
  glowing_text(image, light, U"thanks for watching", 20, width / 2, 338, Rgb{0.8f, 0.75f, 0.9f}, Rgb{0.4f, 0.2f, 0.5f},
               3, 4);
  return image;
}

Image paint_particle() {
  return paint_square(64, [](float u, float v) {
    const float dx = u * 2.0f - 1.0f;
    const float dy = v * 2.0f - 1.0f;
    const float r2 = dx * dx + dy * dy;
    // Falls to exactly black before the edge so the quad's outline never
    // shows under additive blending.
    const float edge = std::max(0.0f, 1.0f - r2 / 0.9f);
    const float glow = edge * edge * (std::exp(-r2 * 5.0f) * 0.8f + std::exp(-r2 * 40.0f) * 0.6f);
    return mix(Rgb{1.0f, 0.45f, 0.2f}, Rgb{1.0f, 0.95f, 0.8f}, std::min(1.0f, glow)) * glow;
  });
}
