// Mesh file reading: one validating pass over the bytes, then the copy into
// the mesh's arrays. Nothing is allocated until the whole file has passed,
// so a forged count can neither cause a huge allocation nor a read past the
// end, and every corner index is known to address a vertex.
#include <cstring>

#include "assets/file_bytes.h"
#include "assets/mesh.h"

namespace {

// Field sizes of the file: little-endian 32-bit counts, floats and words,
// 16-bit corner indices. Each vertex field and each corner is stored as a
// plane of its own (all x, then all y, ...).
constexpr size_t tag_bytes = 3;
constexpr uint64_t count_bytes = 4;
constexpr uint64_t float_bytes = 4;
constexpr uint64_t index_bytes = 2;
constexpr uint64_t word_bytes = 4;
constexpr uint64_t btx_bytes = word_bytes;
constexpr uint64_t bcl_bytes = 3 * word_bytes;
constexpr uint64_t fixed_bytes = 45;                              // tags, counts and trailing words
constexpr uint64_t position_bytes_per_vertex = 3 * float_bytes;   // x, y, z
constexpr uint64_t tex_coord_bytes_per_vertex = 2 * float_bytes;  // s, t
constexpr uint64_t bytes_per_vertex = position_bytes_per_vertex + tex_coord_bytes_per_vertex;
constexpr uint64_t bytes_per_triangle = 3 * index_bytes;  // three corners

uint16_t read_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t read_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

float read_f32(const uint8_t* p) {
  uint32_t bits = read_u32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Where each section starts, found by the validating pass.
struct MeshLayout {
  int32_t vertex_count = 0;
  int32_t triangle_count = 0;
  size_t positions = 0;
  size_t corners = 0;
  size_t tex_coords = 0;
  size_t btx_word = 0;
  size_t bcl_words = 0;
};

// A forward, bounds-checked walk over the file. The first fault stops it and
// is kept in `failure`.
class MeshScanner {
 public:
  MeshScanner(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t offset() const { return offset_; }
  const MeshLoadResult& failure() const { return failure_; }

  bool refuse(size_t at, const char* reason) {
    failure_ = MeshLoadResult{false, at, reason};
    return false;
  }

  bool match_tag(const char* tag, const char* reason) {
    if (!available(tag_bytes) || std::memcmp(data_ + offset_, tag, tag_bytes) != 0) {
      return refuse(offset_, reason);
    }
    offset_ += tag_bytes;
    return true;
  }

  bool read_count(int32_t* count, const char* truncated, const char* negative) {
    if (!available(count_bytes)) return refuse(offset_, truncated);
    *count = static_cast<int32_t>(read_u32(data_ + offset_));
    if (*count < 0) return refuse(offset_, negative);
    offset_ += count_bytes;
    return true;
  }

  bool skip(uint64_t bytes, const char* truncated) {
    if (!available(bytes)) return refuse(offset_, truncated);
    offset_ += static_cast<size_t>(bytes);
    return true;
  }

  // True when the whole file is at least `bytes` long.
  bool file_holds(uint64_t bytes) const { return bytes <= size_; }

  const uint8_t* at(size_t offset) const { return data_ + offset; }

 private:
  bool available(uint64_t bytes) const { return bytes <= size_ - offset_; }

  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
  MeshLoadResult failure_;
};

bool scan_layout(MeshScanner& scan, MeshLayout* layout) {
  if (!scan.match_tag("ZAR", "expected tag \"ZAR\"")) return false;
  const size_t vertex_count_at = scan.offset();
  if (!scan.read_count(&layout->vertex_count, "file ends inside the vertex count", "negative vertex count")) {
    return false;
  }
  const uint64_t n = static_cast<uint64_t>(layout->vertex_count);
  if (!scan.file_holds(fixed_bytes + bytes_per_vertex * n)) {
    return scan.refuse(vertex_count_at, "file too short for its vertex count");
  }
  if (!scan.match_tag("PKT", "expected tag \"PKT\"")) return false;
  layout->positions = scan.offset();
  if (!scan.skip(position_bytes_per_vertex * n, "file ends inside the positions")) return false;

  if (!scan.match_tag("POW", "expected tag \"POW\"")) return false;
  const size_t triangle_count_at = scan.offset();
  if (!scan.read_count(&layout->triangle_count, "file ends inside the triangle count", "negative triangle count")) {
    return false;
  }
  const uint64_t f = static_cast<uint64_t>(layout->triangle_count);
  if (!scan.file_holds(fixed_bytes + bytes_per_vertex * n + bytes_per_triangle * f)) {
    return scan.refuse(triangle_count_at, "file too short for its triangle count");
  }
  layout->corners = scan.offset();
  if (!scan.skip(bytes_per_triangle * f, "file ends inside the corner indices")) return false;
  for (uint64_t i = 0; i < 3 * f; ++i) {
    const size_t index_at = layout->corners + static_cast<size_t>(index_bytes * i);
    if (read_u16(scan.at(index_at)) >= n) {
      return scan.refuse(index_at, "corner index not below the vertex count");
    }
  }

  if (!scan.match_tag("TEX", "expected tag \"TEX\"")) return false;
  layout->tex_coords = scan.offset();
  if (!scan.skip(tex_coord_bytes_per_vertex * n, "file ends inside the texture coordinates")) return false;
  if (!scan.match_tag("BFX", "expected tag \"BFX\"")) return false;
  if (!scan.match_tag("BTX", "expected tag \"BTX\"")) return false;
  layout->btx_word = scan.offset();
  if (!scan.skip(btx_bytes, "file ends inside the BTX word")) return false;
  if (!scan.match_tag("BCL", "expected tag \"BCL\"")) return false;
  layout->bcl_words = scan.offset();
  return scan.skip(bcl_bytes, "file ends inside the BCL words");
}

void copy_floats(const uint8_t* from, size_t count, std::vector<float>* to) {
  to->resize(count);
  for (size_t i = 0; i < count; ++i) (*to)[i] = read_f32(from + float_bytes * i);
}

void copy_indices(const uint8_t* from, size_t count, std::vector<uint16_t>* to) {
  to->resize(count);
  for (size_t i = 0; i < count; ++i) (*to)[i] = read_u16(from + index_bytes * i);
}

}  // namespace

MeshLoadResult Mesh::load(const char* path) {
  std::vector<uint8_t> bytes;
  if (!read_file_bytes(path, &bytes)) {
    *this = Mesh();
    return MeshLoadResult{false, 0, "file cannot be opened or read"};
  }
  return load_bytes(bytes.data(), bytes.size());
}

MeshLoadResult Mesh::load_bytes(const uint8_t* data, size_t size) {
  *this = Mesh();
  MeshScanner scan(data, size);
  MeshLayout layout;
  if (!scan_layout(scan, &layout)) return scan.failure();

  const size_t n = static_cast<size_t>(layout.vertex_count);
  const size_t f = static_cast<size_t>(layout.triangle_count);
  vertex_count = layout.vertex_count;
  triangle_count = layout.triangle_count;
  copy_floats(data + layout.positions, n, &pos_x);
  copy_floats(data + layout.positions + float_bytes * n, n, &pos_y);
  copy_floats(data + layout.positions + 2 * float_bytes * n, n, &pos_z);
  copy_indices(data + layout.corners, f, &corner_first);
  copy_indices(data + layout.corners + index_bytes * f, f, &corner_second);
  copy_indices(data + layout.corners + 2 * index_bytes * f, f, &corner_third);
  copy_floats(data + layout.tex_coords, n, &tex_s);
  copy_floats(data + layout.tex_coords + float_bytes * n, n, &tex_t);
  btx_word = read_u32(data + layout.btx_word);
  for (size_t i = 0; i < 3; ++i) bcl_words[i] = read_u32(data + layout.bcl_words + word_bytes * i);

  vertex_array.resize(3 * n);
  for (size_t i = 0; i < n; ++i) {
    vertex_array[3 * i] = pos_x[i];
    vertex_array[3 * i + 1] = pos_y[i];
    vertex_array[3 * i + 2] = pos_z[i];
  }
  return MeshLoadResult{true, scan.offset(), ""};
}
