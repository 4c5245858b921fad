// Serialises a triangle mesh in the demo's mesh file layout:
//   "ZAR" int32 N  "PKT" float x[N] y[N] z[N]
//   "POW" int32 F  uint16 first[F] second[F] third[F]
//   "TEX" float s[N] t[N]
//   "BFX" "BTX" word  "BCL" word word word
// little-endian, no padding: 45 + 20 N + 6 F bytes.
#pragma once

#include <cstdint>
#include <vector>

struct MeshData {
  std::vector<float> x, y, z;
  std::vector<float> s, t;
  std::vector<uint16_t> first, second, third;
  uint32_t btx_word = 0;
  uint32_t bcl_words[3] = {0, 0, 0};
};

// Returns the file bytes, or an empty vector when the mesh cannot be stored
// (arrays of unequal length, more than 65,535 vertices, an index not below N).
std::vector<uint8_t> encode_mesh(const MeshData& mesh);

// The file bytes exactly as given, unchecked: N is the length of x and F the
// length of first, whatever the other arrays hold. Tests use it to make files
// the reader must refuse.
std::vector<uint8_t> mesh_file_bytes(const MeshData& mesh);
