// Feeds arbitrary bytes to the mesh reader. A file is either refused, leaving
// an empty mesh, or accepted with arrays that match its counts and indices
// that stay below the vertex count, so draw can never index outside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/mesh.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Mesh mesh;
  const MeshLoadResult result = mesh.load_bytes(data, size);
  if (!result.ok) {
    require(mesh.vertex_count == 0 && mesh.triangle_count == 0);
    require(mesh.pos_x.empty() && mesh.corner_first.empty() && mesh.vertex_array.empty());
    return 0;
  }
  const size_t n = static_cast<size_t>(mesh.vertex_count);
  const size_t f = static_cast<size_t>(mesh.triangle_count);
  require(mesh.vertex_count >= 0 && mesh.triangle_count >= 0);
  require(45 + 20 * n + 6 * f <= size);
  require(mesh.pos_x.size() == n && mesh.pos_y.size() == n && mesh.pos_z.size() == n);
  require(mesh.tex_s.size() == n && mesh.tex_t.size() == n && mesh.vertex_array.size() == 3 * n);
  require(mesh.corner_first.size() == f && mesh.corner_second.size() == f && mesh.corner_third.size() == f);
  for (size_t k = 0; k < f; ++k) {
    require(mesh.corner_first[k] < n && mesh.corner_second[k] < n && mesh.corner_third[k] < n);
  }
  return 0;
}
