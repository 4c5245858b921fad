// Writes mesh files byte for byte, for tests and benchmarks that need files
// the reader must accept (or, after editing the bytes, refuse).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct MeshFileContents {
  std::vector<float> x, y, z;
  std::vector<uint16_t> first, second, third;
  std::vector<float> s, t;
  uint32_t btx_word = 0;
  uint32_t bcl_words[3] = {0, 0, 0};
};

inline void put_bytes(std::vector<uint8_t>* out, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

inline void put_u32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void put_f32(std::vector<uint8_t>* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  put_u32(out, bits);
}

inline void put_u16(std::vector<uint8_t>* out, uint16_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

// Overwrites four bytes at offset with a little-endian 32-bit value.
inline void patch_u32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline std::vector<uint8_t> mesh_file_bytes(const MeshFileContents& mesh) {
  std::vector<uint8_t> out;
  put_bytes(&out, "ZAR", 3);
  put_u32(&out, static_cast<uint32_t>(mesh.x.size()));
  put_bytes(&out, "PKT", 3);
  for (const auto* axis : {&mesh.x, &mesh.y, &mesh.z}) {
    for (float v : *axis) put_f32(&out, v);
  }
  put_bytes(&out, "POW", 3);
  put_u32(&out, static_cast<uint32_t>(mesh.first.size()));
  for (const auto* corners : {&mesh.first, &mesh.second, &mesh.third}) {
    for (uint16_t v : *corners) put_u16(&out, v);
  }
  put_bytes(&out, "TEX", 3);
  for (const auto* coords : {&mesh.s, &mesh.t}) {
    for (float v : *coords) put_f32(&out, v);
  }
  put_bytes(&out, "BFX", 3);
  put_bytes(&out, "BTX", 3);
  put_u32(&out, mesh.btx_word);
  put_bytes(&out, "BCL", 3);
  for (uint32_t word : mesh.bcl_words) put_u32(&out, word);
  return out;
}
