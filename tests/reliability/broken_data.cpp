// Builds broken copies of the demo's data. The breakage is deterministic:
// garbage comes from a fixed generator and truncation keeps the first half.
#include "tests/reliability/broken_data.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

const char* const picture_files[] = {"texture.jpg", "serce.jpg",   "ip.jpg",   "cover.jpg",
                                     "c.jpg",       "credits.jpg", "part.jpg", "env.jpg"};
constexpr int picture_count = 8;
const char* const mesh_file = "obj.b3df";
const char* const music_file = "orvu.mp3";

// The ways one picture can be broken.
enum class BadPicture { garbage, empty, truncated, png };

// Bytes from a fixed linear congruential sequence: noise that is the same on
// every run.
Bytes garbage(size_t size, uint32_t seed) {
  Bytes bytes(size);
  uint32_t state = seed;
  for (auto& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

Bytes first_half(const Bytes& bytes) { return Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2); }

// A real, decodable 64 x 48 PNG: a picture in the wrong format.
Bytes png_picture() {
  constexpr int w = 64, h = 48;
  std::vector<uint8_t> rgb(w * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(y * w + x) * 3];
      p[0] = static_cast<uint8_t>(x * 4);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = 128;
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
  Bytes bytes(size);
  if (size == 0 || !png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

void put_le32(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get_le32(const Bytes& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
  return value;
}

bool break_picture(const fs::path& dir, int index, BadPicture how) {
  const fs::path path = dir / picture_files[index];
  switch (how) {
    case BadPicture::garbage:
      return write_file(path, garbage(4096, 1000 + index));
    case BadPicture::empty:
      return write_file(path, {});
    case BadPicture::truncated:
      return write_file(path, first_half(read_file(path)));
    case BadPicture::png:
      return write_file(path, png_picture());
  }
  return false;
}

bool break_all_pictures(const fs::path& dir, BadPicture how) {
  for (int i = 0; i < picture_count; ++i) {
    if (!break_picture(dir, i, how)) return false;
  }
  return true;
}

// The vertex count field sits at offset 3 of the mesh file.
bool forge_vertex_count(const fs::path& dir) {
  Bytes mesh = read_file(dir / mesh_file);
  if (mesh.size() < 7) return false;
  put_le32(mesh, 3, 0x7FFFFFFFu);
  return write_file(dir / mesh_file, mesh);
}

// Triangle 0's first corner (offset 17 + 12 N) is set to N: one past the
// last vertex.
bool index_past_vertex_count(const fs::path& dir) {
  Bytes mesh = read_file(dir / mesh_file);
  if (mesh.size() < 7) return false;
  const uint32_t n = get_le32(mesh, 3);
  const size_t offset = 17 + 12 * static_cast<size_t>(n);
  if (n > 0xFFFF || offset + 2 > mesh.size()) return false;
  mesh[offset] = static_cast<uint8_t>(n);
  mesh[offset + 1] = static_cast<uint8_t>(n >> 8);
  return write_file(dir / mesh_file, mesh);
}

bool apply(const std::string& name, const fs::path& dir) {
  if (name == "mesh-truncated") return write_file(dir / mesh_file, first_half(read_file(dir / mesh_file)));
  if (name == "mesh-forged-count") return forge_vertex_count(dir);
  if (name == "mesh-index-past-n") return index_past_vertex_count(dir);
  if (name == "pictures-garbage") return break_all_pictures(dir, BadPicture::garbage);
  if (name == "pictures-empty") return break_all_pictures(dir, BadPicture::empty);
  if (name == "pictures-truncated-jpeg") return break_all_pictures(dir, BadPicture::truncated);
  if (name == "pictures-png") return break_all_pictures(dir, BadPicture::png);
  if (name == "music-garbage") return write_file(dir / music_file, garbage(65536, 7));
  if (name == "music-empty") return write_file(dir / music_file, {});
  if (name == "music-truncated-mp3") return write_file(dir / music_file, first_half(read_file(dir / music_file)));
  if (name == "music-oversized") {
    // The real track, then a hole up to 300 MB: over the decoders' limit,
    // yet almost no disk is used and nothing is written to fill it.
    std::error_code error;
    fs::resize_file(dir / music_file, uintmax_t{300} << 20, error);
    return !error;
  }
  if (name == "all-at-once") {
    bool ok = forge_vertex_count(dir);
    const BadPicture forms[] = {BadPicture::garbage, BadPicture::empty, BadPicture::truncated, BadPicture::png};
    for (int i = 0; i < picture_count; ++i) ok = ok && break_picture(dir, i, forms[i % 4]);
    return ok && write_file(dir / music_file, garbage(65536, 7));
  }
  return false;
}

}  // namespace

const std::vector<std::string>& broken_data_cases() {
  static const std::vector<std::string> cases = {
      "no-data",          "mesh-truncated", "mesh-forged-count",       "mesh-index-past-n",
      "pictures-garbage", "pictures-empty", "pictures-truncated-jpeg", "pictures-png",
      "music-garbage",    "music-empty",    "music-truncated-mp3",     "music-oversized",
      "all-at-once"};
  return cases;
}

bool make_broken_data(const std::string& case_name, const fs::path& source_data, const fs::path& work_dir) {
  std::error_code error;
  fs::create_directories(work_dir, error);
  if (error) return false;
  if (case_name == "no-data") return true;

  const fs::path data = work_dir / "data";
  fs::create_directories(data, error);
  fs::copy(source_data, data, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
  if (error) {
    std::fprintf(stderr, "cannot copy %s: %s\n", source_data.c_str(), error.message().c_str());
    return false;
  }
  return apply(case_name, data);
}
