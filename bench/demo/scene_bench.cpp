// The scene's cost per frame with the default data on Mesa llvmpipe at
// 1024 x 768 (offscreen), and the heap allocations a frame makes.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tests/support/allocation_counter.h"
#include "tools/render_frames/show_harness.h"

Mesh* demo_mesh = nullptr;
Scene scene;

// ---------------------------------------------------------------------------
// Every malloc-family call made on the drawing thread (GLU's and Mesa's
// included, llvmpipe's worker threads not), counted while a frame runs;
// operator new is counted separately by allocation_counter.
namespace {
long heap_calls = 0;
thread_local bool counting_heap = false;
void note_heap_call() {
  if (counting_heap) ++heap_calls;
}
}  // namespace

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) {
  note_heap_call();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  note_heap_call();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  note_heap_call();
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  note_heap_call();
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  note_heap_call();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  note_heap_call();
  void* p = __libc_memalign(alignment, size);
  if (p == nullptr) return 12;  // ENOMEM
  *out = p;
  return 0;
}
}

namespace {

constexpr float frame_step = 0.01f;

// Starts the show once per process, from the repository's data.
void start_once() {
  static bool started = false;
  if (started) return;
  started = true;
  if (chdir(ZARNIC_SOURCE_DIR) != 0) std::abort();
  demo_mesh = new Mesh("data/obj.b3df");
  if (!show::open_offscreen_window()) std::abort();
  show::reset_show_state();
  show::start_show();
}

void at_moment(double seconds) {
  scripted_music::set_position_seconds(seconds);
  scripted_music::set_bass(0.2f);
}

// CPU time of Scene::render alone: the GL work it queues is finished outside
// the timed part, so this is what the scene costs the calling thread.
void BM_SceneRenderCpu(benchmark::State& state) {
  start_once();
  at_moment(static_cast<double>(state.range(0)));
  show::draw_frame(frame_step);
  glFinish();
  for (auto _ : state) {
    scene.render(frame_step);
    state.PauseTiming();
    glFinish();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SceneRenderCpu)->Arg(2)->Arg(10)->Arg(15)->Iterations(30)->Unit(benchmark::kMillisecond);

// Whole frames as the window draws them, finished by the GL: frames per
// second under llvmpipe at 1024 x 768.
void BM_FramesPerSecond(benchmark::State& state) {
  start_once();
  at_moment(static_cast<double>(state.range(0)));
  for (auto _ : state) {
    show::draw_frame(frame_step);
    glFinish();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FramesPerSecond)->Arg(2)->Arg(10)->Arg(15)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap allocations per frame: operator new (the demo's C++ code) and every
// malloc-family call on the drawing thread, GLU's and Mesa's included.
void BM_AllocationsPerFrame(benchmark::State& state) {
  start_once();
  at_moment(static_cast<double>(state.range(0)));
  show::draw_frame(frame_step);
  glFinish();
  long frames = 0;
  heap_calls = 0;
  allocation_counter::start();
  for (auto _ : state) {
    counting_heap = true;
    show::draw_frame(frame_step);
    counting_heap = false;
    glFinish();
    ++frames;
  }
  const long news = allocation_counter::stop();
  state.counters["new_per_frame"] = static_cast<double>(news) / frames;
  state.counters["malloc_per_frame"] = static_cast<double>(heap_calls) / frames;
}
BENCHMARK(BM_AllocationsPerFrame)->Arg(2)->Arg(10)->Arg(15)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace
