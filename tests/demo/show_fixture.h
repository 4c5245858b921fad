// A small show for tests: eight solid-colour pictures of distinct widths in a
// fresh data folder, an octahedron for the mesh, the scripted music, and the
// scene started on an offscreen context in the state the window leaves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "assets/mesh.h"
#include "tests/support/files.h"
#include "tools/render_frames/show_harness.h"

struct TestPicture {
  const char* file;
  int width;  // a power of two, so the texture has the same width
  uint8_t r, g, b;
};

// In the scene's loading order.
extern const TestPicture test_pictures[8];
constexpr int test_picture_height = 8;

// Writes data/<picture>.jpg for every picture (all but env.jpg when
// with_env is false) and an empty data/orvu.mp3 into the empty folder root;
// false when that fails.
bool make_test_data(const std::string& root, bool with_env);

// An octahedron of radius 1 around the origin.
void fill_test_mesh(Mesh* mesh);

class ShowTest : public ::testing::Test {
 protected:
  // Starts the show from a data folder with or without env.jpg.
  void start(bool with_env = true);
  void SetUp() override { start(); }
  void TearDown() override;

  // Sets the scripted music for the next frame and draws it.
  void frame_at(double seconds, float bass, float frame_step);

  Mesh test_mesh;
  // The data folder of the show now running, made anew by each start.
  std::optional<TempFolder> data_root;
};
