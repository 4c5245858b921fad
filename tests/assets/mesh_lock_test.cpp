// The range bind_arrays locks, and what it does where the GL offers no
// glLockArraysEXT. This program supplies its own platform::gl_proc_address
// (a recording stand-in chosen at link time), so it cannot link the scripted
// platform, which provides that function too; it makes its own OSMesa
// context instead.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "assets/mesh.h"
#include "platform/platform.h"
#include "tests/support/mesh_samples.h"
#include "tools/datagen/mesh_writer.h"

namespace {

bool lock_offered = true;
std::vector<std::pair<GLint, GLsizei>> lock_calls;

void APIENTRY recording_lock(GLint first, GLsizei count) { lock_calls.emplace_back(first, count); }

void make_context() {
  static std::vector<uint8_t> pixels(64 * 64 * 4);
  static OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, 64, 64));
}

Mesh load(const MeshData& file) {
  const std::vector<uint8_t> bytes = mesh_file_bytes(file);
  Mesh mesh;
  EXPECT_TRUE(mesh.load_bytes(bytes.data(), bytes.size()).ok);
  return mesh;
}

TEST(MeshLock, LocksFromZeroOverAllVerticesIncludingNone) {
  make_context();
  lock_offered = true;
  for (const MeshData& file : {one_triangle(), MeshData()}) {
    lock_calls.clear();
    Mesh mesh = load(file);
    mesh.bind_arrays();
    ASSERT_EQ(lock_calls.size(), 1u);
    EXPECT_EQ(lock_calls[0].first, 0);
    EXPECT_EQ(lock_calls[0].second, static_cast<GLsizei>(file.x.size()));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  }
}

TEST(MeshLock, SkipsTheLockWhereTheEntryPointIsMissing) {
  make_context();
  lock_offered = false;
  lock_calls.clear();
  Mesh mesh = load(one_triangle());
  mesh.bind_arrays();
  EXPECT_TRUE(lock_calls.empty());
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  GLvoid* pointer = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
  EXPECT_EQ(pointer, mesh.vertex_array.data());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

namespace platform {

void* gl_proc_address(const char* name) {
  if (std::strcmp(name, "glLockArraysEXT") == 0) {
    return lock_offered ? reinterpret_cast<void*>(&recording_lock) : nullptr;
  }
  return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

}  // namespace platform
