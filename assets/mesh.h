// The demo's triangle mesh: read from a mesh file without a GL context,
// bound as a locked vertex array once the context exists, drawn in
// immediate mode with each vertex position doubling as its normal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Why a mesh file was refused: the byte offset where reading stopped and a
// short description. ok is true for a well-formed file.
struct MeshLoadResult {
  bool ok = false;
  size_t offset = 0;
  const char* reason = "";
};

class Mesh {
 public:
  Mesh() = default;
  // Loads at construction; a missing or malformed file leaves an empty mesh.
  explicit Mesh(const char* path) { load(path); }

  // Reads the file at path (relative to the working directory). Validates
  // everything before allocating; on any failure the mesh is left empty.
  MeshLoadResult load(const char* path);
  // Same, from bytes already in memory (tests, tools, fuzzing).
  MeshLoadResult load_bytes(const uint8_t* data, size_t size);

  void bind_arrays();
  void draw();

  int32_t vertex_count = 0;
  int32_t triangle_count = 0;
  std::vector<float> pos_x, pos_y, pos_z;
  std::vector<uint16_t> corner_first, corner_second, corner_third;
  std::vector<float> tex_s, tex_t;
  std::vector<float> vertex_array;
  uint32_t btx_word = 0;
  uint32_t bcl_words[3] = {0, 0, 0};
};
