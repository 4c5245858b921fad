#include "tools/datagen/mesh_heart.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
// Overall scale and vertical shift that centre the heart's bounding box on
// the origin with its lobes about 1.1 units out.
constexpr double overall_scale = 1.0;
constexpr double lift = -0.118;

// The heart surface with z up: negative inside, positive outside.
double heart_field(double x, double y, double z) {
  const double a = x * x + 1.5 * y * y + z * z - 1.0;
  const double z3 = z * z * z;
  return a * a * a - x * x * z3 - 0.075 * y * y * z3;
}

// Distance from the origin to the surface along the unit direction (dx, dy,
// dz): march to the first sign change, then bisect.
double surface_distance(double dx, double dy, double dz) {
  const double step = 1.0 / 256.0;
  double inside = 0.0;
  double outside = step;
  while (heart_field(outside * dx, outside * dy, outside * dz) < 0.0 && outside < 4.0) {
    inside = outside;
    outside += step;
  }
  for (int i = 0; i < 48; ++i) {
    const double mid = 0.5 * (inside + outside);
    if (heart_field(mid * dx, mid * dy, mid * dz) < 0.0)
      inside = mid;
    else
      outside = mid;
  }
  return 0.5 * (inside + outside);
}

}  // namespace

MeshData make_heart_mesh(int slices, int stacks) {
  MeshData mesh;
  const int columns = slices + 1;
  auto index = [columns](int row, int column) { return static_cast<uint16_t>(row * columns + column); };

  for (int j = 0; j <= stacks; ++j) {
    const double theta = pi * j / stacks;  // 0 at the top, pi at the tip
    for (int i = 0; i <= slices; ++i) {
      const double phi = 2.0 * pi * (i % slices) / slices;
      // Model direction: x right, y up, z toward the viewer.
      const double dx = std::sin(theta) * std::sin(phi);
      const double dy = std::cos(theta);
      const double dz = std::sin(theta) * std::cos(phi);
      // The field has its up axis in z and its thin axis in y.
      const double r = surface_distance(dx, dz, dy);
      mesh.x.push_back(static_cast<float>(overall_scale * r * dx));
      mesh.y.push_back(static_cast<float>(overall_scale * (r * dy + lift)));
      mesh.z.push_back(static_cast<float>(overall_scale * r * dz));
      mesh.s.push_back(static_cast<float>(static_cast<double>(i) / slices));
      mesh.t.push_back(static_cast<float>(1.0 - static_cast<double>(j) / stacks));
    }
  }

  // Counter-clockwise seen from outside; the pole rows would give
  // zero-area triangles and are skipped.
  auto add = [&mesh](uint16_t a, uint16_t b, uint16_t c) {
    mesh.first.push_back(a);
    mesh.second.push_back(b);
    mesh.third.push_back(c);
  };
  for (int j = 0; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      if (j != 0) add(index(j, i), index(j + 1, i), index(j, i + 1));
      if (j != stacks - 1) add(index(j + 1, i), index(j + 1, i + 1), index(j, i + 1));
    }
  }
  return mesh;
}
