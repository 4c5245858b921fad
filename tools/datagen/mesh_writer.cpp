#include "tools/datagen/mesh_writer.h"

#include <cstring>

namespace {

void put_tag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 3); }

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_floats(std::vector<uint8_t>& out, const std::vector<float>& values) {
  for (float f : values) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put_u32(out, bits);
  }
}

void put_indices(std::vector<uint8_t>& out, const std::vector<uint16_t>& values) {
  for (uint16_t v : values) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
}

bool indices_below(const std::vector<uint16_t>& values, size_t n) {
  for (uint16_t v : values)
    if (v >= n) return false;
  return true;
}

}  // namespace

std::vector<uint8_t> encode_mesh(const MeshData& mesh) {
  const size_t n = mesh.x.size();
  const size_t f = mesh.first.size();
  if (mesh.y.size() != n || mesh.z.size() != n || mesh.s.size() != n || mesh.t.size() != n || mesh.second.size() != f ||
      mesh.third.size() != f || n > 65535 || f > 0x7fffffff)
    return {};
  if (!indices_below(mesh.first, n) || !indices_below(mesh.second, n) || !indices_below(mesh.third, n)) return {};
  return mesh_file_bytes(mesh);
}

std::vector<uint8_t> mesh_file_bytes(const MeshData& mesh) {
  const size_t n = mesh.x.size();
  const size_t f = mesh.first.size();
  std::vector<uint8_t> out;
  out.reserve(45 + 20 * n + 6 * f);
  put_tag(out, "ZAR");
  put_u32(out, static_cast<uint32_t>(n));
  put_tag(out, "PKT");
  put_floats(out, mesh.x);
  put_floats(out, mesh.y);
  put_floats(out, mesh.z);
  put_tag(out, "POW");
  put_u32(out, static_cast<uint32_t>(f));
  put_indices(out, mesh.first);
  put_indices(out, mesh.second);
  put_indices(out, mesh.third);
  put_tag(out, "TEX");
  put_floats(out, mesh.s);
  put_floats(out, mesh.t);
  put_tag(out, "BFX");
  put_tag(out, "BTX");
  put_u32(out, mesh.btx_word);
  put_tag(out, "BCL");
  for (uint32_t w : mesh.bcl_words) put_u32(out, w);
  return out;
}
