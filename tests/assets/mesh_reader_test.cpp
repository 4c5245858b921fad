// The mesh reader: exact loading of well-formed files, and refusal (with the
// offset and reason) of every file that does not follow the layout. This
// program links no GL at all, which also shows that loading needs none.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "tests/support/mesh_samples.h"
#include "tools/datagen/mesh_writer.h"

namespace {

// Overwrites four bytes at offset with a little-endian 32-bit value.
void patch_u32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void expect_empty(const Mesh& mesh) {
  EXPECT_EQ(mesh.vertex_count, 0);
  EXPECT_EQ(mesh.triangle_count, 0);
  for (const auto* floats : {&mesh.pos_x, &mesh.pos_y, &mesh.pos_z, &mesh.tex_s, &mesh.tex_t, &mesh.vertex_array}) {
    EXPECT_TRUE(floats->empty());
  }
  for (const auto* corners : {&mesh.corner_first, &mesh.corner_second, &mesh.corner_third}) {
    EXPECT_TRUE(corners->empty());
  }
}

void expect_loaded_as(const Mesh& mesh, const MeshData& file) {
  ASSERT_EQ(mesh.vertex_count, static_cast<int32_t>(file.x.size()));
  ASSERT_EQ(mesh.triangle_count, static_cast<int32_t>(file.first.size()));
  EXPECT_EQ(mesh.pos_x, file.x);
  EXPECT_EQ(mesh.pos_y, file.y);
  EXPECT_EQ(mesh.pos_z, file.z);
  EXPECT_EQ(mesh.corner_first, file.first);
  EXPECT_EQ(mesh.corner_second, file.second);
  EXPECT_EQ(mesh.corner_third, file.third);
  EXPECT_EQ(mesh.tex_s, file.s);
  EXPECT_EQ(mesh.tex_t, file.t);
  std::vector<float> interleaved;
  for (size_t i = 0; i < file.x.size(); ++i) {
    interleaved.insert(interleaved.end(), {file.x[i], file.y[i], file.z[i]});
  }
  EXPECT_EQ(mesh.vertex_array, interleaved);
  EXPECT_EQ(mesh.btx_word, file.btx_word);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(mesh.bcl_words[i], file.bcl_words[i]) << i;
}

// Loads bytes that hold file's one-triangle mesh up to its last word (byte
// 111) and checks what the reader made of them.
void expect_one_triangle_loads(const std::vector<uint8_t>& bytes, const MeshData& file) {
  Mesh mesh;
  const MeshLoadResult result = mesh.load_bytes(bytes.data(), bytes.size());
  ASSERT_TRUE(result.ok) << result.offset << ": " << result.reason;
  EXPECT_EQ(result.offset, 111u);
  expect_loaded_as(mesh, file);
}

TEST(MeshReader, EmptyMeshIs45BytesAndLoadsEmpty) {
  MeshData file;
  file.btx_word = 1;
  file.bcl_words[0] = 2;
  file.bcl_words[1] = 3;
  file.bcl_words[2] = 4;
  const std::vector<uint8_t> bytes = mesh_file_bytes(file);
  ASSERT_EQ(bytes.size(), 45u);

  Mesh mesh;
  const MeshLoadResult result = mesh.load_bytes(bytes.data(), bytes.size());
  EXPECT_TRUE(result.ok) << result.offset << ": " << result.reason;
  EXPECT_EQ(result.offset, 45u);
  expect_empty(mesh);
  EXPECT_EQ(mesh.btx_word, 1u);
  EXPECT_EQ(mesh.bcl_words[2], 4u);
}

TEST(MeshReader, OneTriangleFileLoadsExactly) {
  const MeshData file = one_triangle();
  const std::vector<uint8_t> bytes = mesh_file_bytes(file);
  ASSERT_EQ(bytes.size(), 111u);
  EXPECT_EQ(bytes[53], 2);  // first corner of triangle 0
  EXPECT_EQ(bytes[54], 0);
  EXPECT_EQ(std::string(bytes.begin() + 59, bytes.begin() + 62), "TEX");

  expect_one_triangle_loads(bytes, file);
}

TEST(MeshReader, BytesAfterTheLastWordAreIgnored) {
  const MeshData file = one_triangle();
  std::vector<uint8_t> bytes = mesh_file_bytes(file);
  const std::string trailer = "ZAR\xff\xff\xff\x7f garbage that looks like another header";
  bytes.insert(bytes.end(), trailer.begin(), trailer.end());

  expect_one_triangle_loads(bytes, file);
}

TEST(MeshReader, VerticesBeyondTheIndexRangeLoad) {
  // Indices are 16-bit, but nothing limits N itself: extra vertices are
  // simply never referenced.
  MeshData file;
  const size_t n = 70000;
  file.x.assign(n, 1.0f);
  file.y.assign(n, 2.0f);
  file.z.assign(n, 3.0f);
  file.s.assign(n, 0.0f);
  file.t.assign(n, 1.0f);
  file.first = {65535};
  file.second = {0};
  file.third = {69999 % 65536};
  const std::vector<uint8_t> bytes = mesh_file_bytes(file);

  Mesh mesh;
  ASSERT_TRUE(mesh.load_bytes(bytes.data(), bytes.size()).ok);
  EXPECT_EQ(mesh.vertex_count, 70000);
  EXPECT_EQ(mesh.vertex_array.size(), 3 * n);
}

struct MalformedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  size_t offset;
  const char* reason;
};

std::vector<uint8_t> triangle_with(void (*edit)(std::vector<uint8_t>*)) {
  std::vector<uint8_t> bytes = mesh_file_bytes(one_triangle());
  edit(&bytes);
  return bytes;
}

std::vector<uint8_t> triangle_cut_to(size_t size) {
  std::vector<uint8_t> bytes = mesh_file_bytes(one_triangle());
  bytes.resize(size);
  return bytes;
}

TEST(MeshReader, MalformedFilesAreRefusedWithTheirReason) {
  // Offsets in the one-triangle file: N at 3, PKT at 7, POW at 46, F at 49,
  // corners at 53 (first), 55 (second), 57 (third), TEX at 59, BFX at 86,
  // BTX at 89, BCL at 96.
  MeshData no_vertices_one_triangle;
  no_vertices_one_triangle.first = {0};
  no_vertices_one_triangle.second = {0};
  no_vertices_one_triangle.third = {0};

  const std::vector<MalformedCase> cases = {
      {"empty file", {}, 0, "expected tag \"ZAR\""},
      {"lower-case first tag", triangle_with([](auto* b) { (*b)[2] = 'r'; }), 0, "expected tag \"ZAR\""},
      {"ends inside the vertex count", triangle_cut_to(6), 3, "file ends inside the vertex count"},
      {"negative vertex count", triangle_with([](auto* b) { patch_u32(b, 3, 0xFFFFFFFFu); }), 3,
       "negative vertex count"},
      {"forged huge vertex count", triangle_with([](auto* b) { patch_u32(b, 3, 0x7FFFFFFFu); }), 3,
       "file too short for its vertex count"},
      {"space before PKT", triangle_with([](auto* b) { (*b)[7] = ' '; }), 7, "expected tag \"PKT\""},
      {"POW tag damaged", triangle_with([](auto* b) { (*b)[48] = 0; }), 46, "expected tag \"POW\""},
      {"negative triangle count", triangle_with([](auto* b) { patch_u32(b, 49, 0x80000000u); }), 49,
       "negative triangle count"},
      {"forged huge triangle count", triangle_with([](auto* b) { patch_u32(b, 49, 1000000u); }), 49,
       "file too short for its triangle count"},
      {"first corner far out of range", triangle_with([](auto* b) { (*b)[53] = 0xFF, (*b)[54] = 0xFF; }), 53,
       "corner index not below the vertex count"},
      {"third corner equal to N", triangle_with([](auto* b) { (*b)[57] = 3; }), 57,
       "corner index not below the vertex count"},
      {"triangle over no vertices", mesh_file_bytes(no_vertices_one_triangle), 17,
       "corner index not below the vertex count"},
      {"TEX tag damaged", triangle_with([](auto* b) { (*b)[59] = 't'; }), 59, "expected tag \"TEX\""},
      {"BFX tag missing", triangle_with([](auto* b) { (*b)[86] = 'X'; }), 86, "expected tag \"BFX\""},
      {"BTX tag damaged", triangle_with([](auto* b) { (*b)[91] = '\n'; }), 89, "expected tag \"BTX\""},
      {"BCL tag damaged", triangle_with([](auto* b) { (*b)[96] = 'b'; }), 96, "expected tag \"BCL\""},
      {"last word cut short", triangle_cut_to(110), 49, "file too short for its triangle count"},
      {"cut inside the positions", triangle_cut_to(30), 3, "file too short for its vertex count"},
  };

  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Start from a loaded mesh: a refused file must leave nothing behind.
    Mesh mesh;
    const std::vector<uint8_t> good = mesh_file_bytes(one_triangle());
    ASSERT_TRUE(mesh.load_bytes(good.data(), good.size()).ok);

    const MeshLoadResult result = mesh.load_bytes(c.bytes.data(), c.bytes.size());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.offset, c.offset);
    EXPECT_STREQ(result.reason, c.reason);
    expect_empty(mesh);
  }
}

TEST(MeshReader, ReadsFilesAndTreatsAMissingOneAsEmpty) {
  const std::string path = ::testing::TempDir() + "mesh_reader_test.b3df";
  const MeshData file = one_triangle();
  const std::vector<uint8_t> bytes = mesh_file_bytes(file);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
  std::fclose(out);

  Mesh from_file(path.c_str());
  expect_loaded_as(from_file, file);

  std::remove(path.c_str());
  Mesh missing;
  const MeshLoadResult result = missing.load(path.c_str());
  EXPECT_FALSE(result.ok);
  EXPECT_STREQ(result.reason, "file cannot be opened or read");
  expect_empty(missing);

  // A directory opens but is no mesh file.
  EXPECT_FALSE(missing.load(::testing::TempDir().c_str()).ok);
  expect_empty(missing);
}

}  // namespace
