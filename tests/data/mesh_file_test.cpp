// The mesh writer's layout, and the shape of the committed heart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/data/data_files.h"
#include "tools/datagen/mesh_heart.h"
#include "tools/datagen/mesh_writer.h"
#include "tests/support/mesh_samples.h"

namespace {

int32_t read_i32(const std::vector<uint8_t>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
float read_f32(const std::vector<uint8_t>& b, size_t at) {
  float v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint16_t read_u16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
std::string tag_at(const std::vector<uint8_t>& b, size_t at) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), 3);
}

// Checks every tag and count of a complete file and returns N and F.
void expect_layout(const std::vector<uint8_t>& b, int32_t* n_out, int32_t* f_out) {
  ASSERT_GE(b.size(), 45u);
  EXPECT_EQ(tag_at(b, 0), "ZAR");
  const int32_t n = read_i32(b, 3);
  ASSERT_GE(n, 0);
  EXPECT_EQ(tag_at(b, 7), "PKT");
  ASSERT_GE(b.size(), 17u + 12u * n);
  EXPECT_EQ(tag_at(b, 10 + 12 * n), "POW");
  const int32_t f = read_i32(b, 13 + 12 * n);
  ASSERT_GE(f, 0);
  ASSERT_EQ(b.size(), 45u + 20u * n + 6u * f);
  const size_t un = static_cast<size_t>(n), uf = static_cast<size_t>(f);
  EXPECT_EQ(tag_at(b, 17 + 12 * un + 6 * uf), "TEX");
  const size_t end_of_arrays = 20 + 20 * un + 6 * uf;
  EXPECT_EQ(tag_at(b, end_of_arrays), "BFX");
  EXPECT_EQ(tag_at(b, end_of_arrays + 3), "BTX");
  EXPECT_EQ(tag_at(b, end_of_arrays + 10), "BCL");
  *n_out = n;
  *f_out = f;
}

TEST(MeshWriter, EmptyMeshIsTheBare45ByteFile) {
  const std::vector<uint8_t> b = encode_mesh(MeshData{});
  int32_t n = -1, f = -1;
  expect_layout(b, &n, &f);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(f, 0);
}

TEST(MeshWriter, OneTriangleLandsAtItsOffsets) {
  const std::vector<uint8_t> b = encode_mesh(one_triangle());
  int32_t n = 0, f = 0;
  expect_layout(b, &n, &f);
  ASSERT_EQ(b.size(), 111u);
  EXPECT_EQ(read_f32(b, 10 + 4), -2.5f);       // x of vertex 1
  EXPECT_EQ(read_f32(b, 10 + 12 + 8), -1.0f);  // y of vertex 2
  EXPECT_EQ(read_f32(b, 10 + 24), -4.0f);      // z of vertex 0
  EXPECT_EQ(read_u16(b, 53), 2);              // first corner
  EXPECT_EQ(read_u16(b, 55), 0);              // second corner
  EXPECT_EQ(read_u16(b, 57), 1);              // third corner
  EXPECT_EQ(tag_at(b, 59), "TEX");
  EXPECT_EQ(read_f32(b, 62 + 4), 1.0f);             // s of vertex 1
  EXPECT_EQ(read_f32(b, 74 + 8), 1.0f);             // t of vertex 2
  const uint8_t btx[4] = {0x01, 0x00, 0x80, 0x7F};  // little-endian
  EXPECT_EQ(std::memcmp(b.data() + 92, btx, 4), 0);
  EXPECT_EQ(read_i32(b, 107), static_cast<int32_t>(0xFFFFFFFFu));
}

TEST(MeshWriter, RefusesMeshesTheFormatCannotHold) {
  struct Case {
    const char* what;
    void (*spoil)(MeshData&);
  };
  const Case cases[] = {
      {"index equal to N", [](MeshData& m) { m.third[0] = 3; }},
      {"y array short", [](MeshData& m) { m.y.pop_back(); }},
      {"t array long", [](MeshData& m) { m.t.push_back(0.0f); }},
      {"corner arrays unequal", [](MeshData& m) { m.second.push_back(0); }},
      {"65,536 vertices",
       [](MeshData& m) {
         for (std::vector<float>* v : {&m.x, &m.y, &m.z, &m.s, &m.t}) v->resize(65536);
       }},
  };
  for (const Case& c : cases) {
    MeshData m = one_triangle();
    c.spoil(m);
    EXPECT_TRUE(encode_mesh(m).empty()) << c.what;
  }
}

TEST(HeartMesh, CommittedFileIsWellFormedWithinTheFormatsLimits) {
  const std::vector<uint8_t> b = read_file(data_path("obj.b3df"));
  int32_t n = 0, f = 0;
  expect_layout(b, &n, &f);
  EXPECT_LE(n, 65535);
  EXPECT_GE(f, 2000);
  EXPECT_LE(f, 10000);
  const size_t corners = 17 + 12 * static_cast<size_t>(n);
  for (size_t i = 0; i < 3 * static_cast<size_t>(f); ++i) ASSERT_LT(read_u16(b, corners + 2 * i), n) << "corner " << i;
}

TEST(HeartMesh, IsCentredClosedAndOutwardFacingNearUnitRadius) {
  // The demo uses each position as the vertex normal and sphere-maps with
  // it, which only reads well for vertices about one unit out, with every
  // triangle facing away from the centre.
  const MeshData m = make_heart_mesh(64, 48);
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  for (size_t i = 0; i < m.x.size(); ++i) {
    const float p[3] = {m.x[i], m.y[i], m.z[i]};
    const float r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    EXPECT_GT(r, 0.5f);
    EXPECT_LT(r, 1.5f);
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], p[a]);
      hi[a] = std::max(hi[a], p[a]);
    }
  }
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(lo[a] + hi[a], 0.0f, 0.02f) << "axis " << a;

  for (size_t k = 0; k < m.first.size(); ++k) {
    const uint16_t v[3] = {m.first[k], m.second[k], m.third[k]};
    double e1[3], e2[3], c[3] = {0, 0, 0};
    const float* axes[3] = {m.x.data(), m.y.data(), m.z.data()};
    for (int a = 0; a < 3; ++a) {
      e1[a] = axes[a][v[1]] - axes[a][v[0]];
      e2[a] = axes[a][v[2]] - axes[a][v[0]];
      c[a] = (axes[a][v[0]] + axes[a][v[1]] + axes[a][v[2]]) / 3.0;
    }
    const double normal[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                              e1[0] * e2[1] - e1[1] * e2[0]};
    const double area2 = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    ASSERT_GT(area2, 0.0) << "degenerate triangle " << k;
    EXPECT_GT(normal[0] * c[0] + normal[1] * c[1] + normal[2] * c[2], 0.0) << "triangle " << k;
  }
}

}  // namespace
