// CPU cost of one fountain pass (80 particles drawn and advanced) on offscreen
// Mesa GL, and the heap allocations the timed passes make: every operator new
// in the process while they run is counted, the GL's own C++ allocations
// included.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include "platform/script/platform_script.h"
#include "render/particle_fountain.h"
#include "tests/support/allocation_counter.h"

namespace {

ParticleFountain fountain;

// The demo's set-up for the fountain: the window's projection, the full
// viewport, texturing on with a small texture bound, depth test off.
void prepare_gl() {
  static bool ready = false;
  if (ready) return;
  ready = platform::script::make_offscreen_gl(1024, 768);
  glViewport(0, 0, 1024, 768);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1024.0 / 768.0, 0.1, 400.0);
  glMatrixMode(GL_MODELVIEW);
  static const unsigned char texels[4 * 4 * 4] = {255, 255, 255, 255};
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  fountain.reset();
}

// frame_step is the time of one counter read in units of 0.1 ms (about 30 ns).
constexpr float frame_step = 0.0003f;

template <bool finish>
void run(benchmark::State& state) {
  prepare_gl();
  // Warm up: the first passes let Mesa compile its shaders and size its buffers.
  for (int i = 0; i < 200; ++i) {
    glLoadIdentity();
    fountain.update_and_draw(frame_step);
  }
  glFinish();
  allocation_counter::start();
  for (auto _ : state) {
    glLoadIdentity();
    fountain.update_and_draw(frame_step);
    if (finish) glFinish();
  }
  glFinish();
  const long allocations = allocation_counter::stop();
  state.counters["allocations_per_call"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
  if (allocations != 0) state.SkipWithError("update_and_draw allocated on the heap");
}

// The calls alone: Mesa queues the drawing and rasterises when its batch fills.
void BM_UpdateAndDraw(benchmark::State& state) { run<false>(state); }
// Each pass followed by glFinish: the calls plus rasterising the 80 squares.
void BM_UpdateAndDrawFinished(benchmark::State& state) { run<true>(state); }

}  // namespace

BENCHMARK(BM_UpdateAndDraw);
BENCHMARK(BM_UpdateAndDrawFinished);
