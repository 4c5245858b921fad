// The demo's triangle mesh: read from a mesh file without a GL context,
// bound as a locked vertex array once the context exists, drawn in
// immediate mode with each vertex position doubling as its normal.
//
// File layout (little-endian, no padding; N vertices, F triangles):
//   "ZAR" int32 N  "PKT" float x[N] y[N] z[N]
//   "POW" int32 F  uint16 first[F] second[F] third[F]
//   "TEX" float s[N] t[N]
//   "BFX" "BTX" word  "BCL" word word word
// A complete file is 45 + 20 N + 6 F bytes; anything after it is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Why a mesh file was refused: the byte offset where the fault lies and a
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
  // everything before allocating; on any failure the mesh is left empty
  // (no vertices, no triangles) and the result says where and why.
  MeshLoadResult load(const char* path);
  // Same, from bytes already in memory (tests, tools, fuzzing).
  MeshLoadResult load_bytes(const uint8_t* data, size_t size);

  // Points the GL vertex array at vertex_array and locks all N vertices
  // (the lock is skipped where glLockArraysEXT is not offered). Both stay
  // in force for the rest of the run. Needs the current GL context.
  void bind_arrays();
  // Sends every triangle corner in immediate mode: normal (the position),
  // texture coordinate, position. Enables GL_TEXTURE_2D, binds nothing.
  void draw();

  int32_t vertex_count = 0;
  int32_t triangle_count = 0;
  std::vector<float> pos_x, pos_y, pos_z;
  std::vector<uint16_t> corner_first, corner_second, corner_third;
  std::vector<float> tex_s, tex_t;
  std::vector<float> vertex_array;  // x, y, z per vertex
  uint32_t btx_word = 0;
  uint32_t bcl_words[3] = {0, 0, 0};
};
