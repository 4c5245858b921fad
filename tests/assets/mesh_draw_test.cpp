// Mesh drawing on real GL: what draw sends, read back through feedback mode,
// and the vertex array bind_arrays leaves behind.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <vector>

#include "assets/mesh.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "tools/datagen/mesh_writer.h"

namespace {

constexpr int width = 1024;
constexpr int height = 768;

// One vertex as feedback reports it in GL_4D_COLOR_TEXTURE mode.
struct FedBackVertex {
  float window[4];
  float color[4];
  float tex[4];
};

struct FedBackPolygon {
  std::vector<FedBackVertex> corners;
};

class MeshDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::script::make_offscreen_gl(width, height));
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  }

  // The array lock outlives each test's mesh; undo it so the next test in
  // this process starts unlocked.
  void TearDown() override {
    auto unlock = reinterpret_cast<PFNGLUNLOCKARRAYSEXTPROC>(platform::gl_proc_address("glUnlockArraysEXT"));
    if (unlock != nullptr) unlock();
    glDisableClientState(GL_VERTEX_ARRAY);
    glGetError();
  }

  static Mesh load(const MeshData& file) {
    const std::vector<uint8_t> bytes = mesh_file_bytes(file);
    Mesh mesh;
    EXPECT_TRUE(mesh.load_bytes(bytes.data(), bytes.size()).ok);
    return mesh;
  }

  // Runs mesh.draw() in feedback mode and returns the triangles it sent.
  static std::vector<FedBackPolygon> feedback_of(Mesh& mesh) {
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    mesh.draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";

    std::vector<FedBackPolygon> polygons;
    for (GLint i = 0; i < used;) {
      EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
      FedBackPolygon polygon;
      const int count = static_cast<int>(buffer[i + 1]);
      i += 2;
      for (int c = 0; c < count; ++c, i += 12) {
        FedBackVertex v;
        for (int k = 0; k < 4; ++k) {
          v.window[k] = buffer[i + k];
          v.color[k] = buffer[i + 4 + k];
          v.tex[k] = buffer[i + 8 + k];
        }
        polygon.corners.push_back(v);
      }
      polygons.push_back(polygon);
    }
    return polygons;
  }

  // Checks the two triangles feedback reports: corner c of triangle k is
  // vertex order[k][c] of the file, as check(corner, vertex) finds it.
  template <typename Check>
  static void expect_two_triangles(const std::vector<FedBackPolygon>& polygons, const int (&order)[2][3], Check check) {
    ASSERT_EQ(polygons.size(), 2u);
    for (int k = 0; k < 2; ++k) {
      ASSERT_EQ(polygons[k].corners.size(), 3u);
      for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(testing::Message() << "triangle " << k << " corner " << c);
        check(polygons[k].corners[c], order[k][c]);
      }
    }
  }

  // With identity matrices the window position follows from the viewport.
  static void expect_at_position(const FedBackVertex& v, float x, float y, float z) {
    EXPECT_NEAR(v.window[0], (x + 1.0f) * width / 2, 1e-3);
    EXPECT_NEAR(v.window[1], (y + 1.0f) * height / 2, 1e-3);
    EXPECT_NEAR(v.window[2], (z + 1.0f) / 2, 1e-5);
  }
};

// Two triangles sharing the edge between vertices 0 and 1; vertex 3 sits at
// the origin. Positions stay inside the clip volume so nothing is clipped.
MeshData two_triangles() {
  MeshData file;
  file.x = {0.5f, -0.5f, 0.25f, 0.0f};
  file.y = {0.25f, 0.5f, -0.75f, 0.0f};
  file.z = {-0.5f, 0.125f, 0.5f, 0.0f};
  file.s = {0.1f, 0.2f, 0.3f, 0.4f};
  file.t = {0.9f, 0.8f, 0.7f, 0.6f};
  file.first = {2, 3};
  file.second = {0, 1};
  file.third = {1, 0};
  return file;
}

TEST_F(MeshDraw, SendsCornersInFileOrderWithTheirTextureCoordinates) {
  const MeshData file = two_triangles();
  Mesh mesh = load(file);
  GLuint caller_texture = 0;
  glGenTextures(1, &caller_texture);
  glBindTexture(GL_TEXTURE_2D, caller_texture);

  const int expected_order[2][3] = {{2, 0, 1}, {3, 1, 0}};
  expect_two_triangles(feedback_of(mesh), expected_order, [&](const FedBackVertex& fed, int v) {
    expect_at_position(fed, file.x[v], file.y[v], file.z[v]);
    EXPECT_FLOAT_EQ(fed.tex[0], file.s[v]);
    EXPECT_FLOAT_EQ(fed.tex[1], file.t[v]);
    // draw sets no colour: the caller's stays.
    EXPECT_FLOAT_EQ(fed.color[2], 0.75f);
  });
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), caller_texture);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDraw, NormalIsTheUnnormalisedPosition) {
  // Feedback reports lit colours: with a red, a green and a blue directional
  // light along +x, +y and +z and nothing else lighting the mesh, a vertex's
  // colour is its normal, clamped to [0, 1]. Positions with components in
  // (0, 1) make that the position itself, and show any normalisation.
  MeshData file;
  file.x = {0.5f, 0.2f, 0.0f, 0.75f};
  file.y = {0.25f, 0.1f, 0.0f, 0.5f};
  file.z = {0.125f, 0.05f, 0.0f, 0.25f};
  file.s = {0, 0, 0, 0};
  file.t = {0, 0, 0, 0};
  file.first = {0, 3};
  file.second = {1, 2};
  file.third = {2, 0};
  Mesh mesh = load(file);

  const GLfloat none[4] = {0, 0, 0, 1};
  const GLfloat white[4] = {1, 1, 1, 1};
  const GLfloat colours[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
  const GLfloat directions[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
  for (int i = 0; i < 3; ++i) {
    const GLenum light = GL_LIGHT0 + i;
    glLightfv(light, GL_AMBIENT, none);
    glLightfv(light, GL_DIFFUSE, colours[i]);
    glLightfv(light, GL_SPECULAR, none);
    glLightfv(light, GL_POSITION, directions[i]);
    glEnable(light);
  }
  glEnable(GL_LIGHTING);
  const std::vector<FedBackPolygon> polygons = feedback_of(mesh);
  glDisable(GL_LIGHTING);

  const int expected_order[2][3] = {{0, 1, 2}, {3, 2, 0}};
  expect_two_triangles(polygons, expected_order, [&](const FedBackVertex& fed, int v) {
    EXPECT_NEAR(fed.color[0], file.x[v], 1e-5);
    EXPECT_NEAR(fed.color[1], file.y[v], 1e-5);
    EXPECT_NEAR(fed.color[2], file.z[v], 1e-5);
  });
}

TEST_F(MeshDraw, EmptyMeshDrawsNothingButEnablesTexturing) {
  Mesh mesh;
  const std::vector<uint8_t> bytes = mesh_file_bytes(MeshData());
  ASSERT_TRUE(mesh.load_bytes(bytes.data(), bytes.size()).ok);
  EXPECT_TRUE(feedback_of(mesh).empty());
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDraw, BindArraysLeavesTheVertexArrayEnabledAndLocked) {
  Mesh mesh = load(two_triangles());
  mesh.bind_arrays();
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  GLvoid* pointer = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
  EXPECT_EQ(pointer, mesh.vertex_array.data());
  GLint size = 0, type = 0, stride = -1, lock_first = -1, lock_count = -1;
  glGetIntegerv(GL_VERTEX_ARRAY_SIZE, &size);
  glGetIntegerv(GL_VERTEX_ARRAY_TYPE, &type);
  glGetIntegerv(GL_VERTEX_ARRAY_STRIDE, &stride);
  glGetIntegerv(GL_ARRAY_ELEMENT_LOCK_FIRST_EXT, &lock_first);
  glGetIntegerv(GL_ARRAY_ELEMENT_LOCK_COUNT_EXT, &lock_count);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(type, GL_FLOAT);
  EXPECT_EQ(stride, 0);
  EXPECT_EQ(lock_first, 0);
  EXPECT_EQ(lock_count, 4);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // draw still sends immediate-mode vertices with the array locked.
  EXPECT_EQ(feedback_of(mesh).size(), 2u);
}

}  // namespace
