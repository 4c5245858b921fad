// Linked into a copy of the demo built with its probe points
// (probe/probe_points.h): at app_main, Scene::init, the calls Scene::init
// makes and swap_buffers it times the way from process start (ZARNIC_T0_NS,
// CLOCK_REALTIME nanoseconds taken by the launcher) to the first presented
// frame, with Scene::init
// split into its parts and each picture into reading, JPEG decoding, the
// GL upload and the rest (resampling and the pixel pass, or waiting for the
// worker that decoded it ahead). Only the main thread's calls are counted.
// Then it asks the demo to close.
#include <GL/gl.h>
#include <pthread.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench/app/probe_clock.h"
#include "platform/platform.h"
#include "probe/probe_points.h"

namespace {

constexpr int max_pictures = 8;

struct PictureTimes {
  const char* path = "";
  double total = 0.0;
  double read = 0.0;
  double decode = 0.0;
  double upload = 0.0;
};

// Milliseconds spent in each part of Scene::init, in its order.
struct InitTimes {
  double begin = 0.0;
  double reset = 0.0;
  double pictures = 0.0;
  double quadric_begin = 0.0;
  double bind_begin = 0.0;
  double bind = 0.0;
  double music_open = 0.0;
  double music_play = 0.0;
  double capture = 0.0;
  double capture_end = 0.0;
  double pictures_end = 0.0;
  PictureTimes picture[max_pictures];
  int picture_count = 0;
  bool in_picture = false;
};

double start_ms = 0.0;
double main_ms = 0.0;
// When the dynamic loader is done and the program's own static
// construction (the mesh read among it) is about to begin.
double loaded_ms = 0.0;
__attribute__((constructor(101))) void note_loaded() { loaded_ms = now_ms(); }
double audio_init_ms = 0.0;
double init_end_ms = 0.0;
double init_cpu_ms = 0.0;
InitTimes init;
bool presented = false;
// The first frame's draw: it begins after the messages waiting at the
// first turn of the loop have been handled.
double draw_begin_ms = 0.0;
double draw_end_ms = 0.0;
double draw_fft_ms = 0.0;
double draw_quads_ms = 0.0;

// Static construction runs on the main thread.
const pthread_t main_thread = pthread_self();

PictureTimes* current_picture() {
  const bool counted = init.in_picture && pthread_equal(pthread_self(), main_thread);
  return counted ? &init.picture[init.picture_count - 1] : nullptr;
}

}  // namespace

extern "C" {

int __real_tjDecompress2(tjhandle, const unsigned char*, unsigned long, unsigned char*, int, int, int, int, int);
void __real_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);

// The JPEG decode and the GL upload are library calls: wrapped at link time
// by their C names.
int __wrap_tjDecompress2(tjhandle handle, const unsigned char* jpeg, unsigned long size, unsigned char* out, int width,
                         int pitch, int height, int format, int flags) {
  const double begin = now_ms();
  const int result = __real_tjDecompress2(handle, jpeg, size, out, width, pitch, height, format, flags);
  if (PictureTimes* times = current_picture()) times->decode += now_ms() - begin;
  return result;
}

void __wrap_glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height, GLint border,
                         GLenum format, GLenum type, const void* pixels) {
  const double begin = now_ms();
  __real_glTexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
  if (PictureTimes* times = current_picture()) times->upload += now_ms() - begin;
}

}  // extern "C"

namespace {

// When each point with no case of its own was last passed on the main
// thread: the parts timed from their begin to their end read it there. A
// file is read on the worker thread too, so its begin is the reading
// thread's own.
constexpr size_t point_slots = 64;
static_assert(static_cast<size_t>(probe::Point::quad_draw_end) < point_slots, "a slot for every point");
double passed_ms[point_slots] = {};
double init_cpu_begin_ms = 0.0;
double picture_begin_ms = 0.0;
bool picture_counted = false;
thread_local double read_begin_ms = 0.0;
bool draw_timed = false;

// Milliseconds from when `begin` was passed to now.
double since(probe::Point begin, double now) { return now - passed_ms[static_cast<size_t>(begin)]; }

void report_first_frame() {
  presented = true;
  const double first_ms = now_ms();
  // CPU time of the whole process (every thread) from its start, and of
  // the main thread in Scene::init: less swayed by other work on a busy
  // machine than the wall-clock figures.
  const double cpu_ms = clock_ms(CLOCK_PROCESS_CPUTIME_ID);
  std::printf(
      "first_frame %.1f before_main %.1f window %.1f scene_init %.1f frame %.1f audio_init %.1f cpu %.1f "
      "scene_init_cpu %.1f loaded %.1f messages %.1f draw %.1f present %.1f draw_fft %.1f draw_quads %.1f\n",
      first_ms - start_ms, main_ms - start_ms, init.begin - main_ms, init_end_ms - init.begin, first_ms - init_end_ms,
      audio_init_ms, cpu_ms, init_cpu_ms, loaded_ms - start_ms, draw_begin_ms - init_end_ms,
      draw_end_ms - draw_begin_ms, first_ms - draw_end_ms, draw_fft_ms, draw_quads_ms);
  // The filter and texture-generation settings run between the last
  // picture and the quadric; the quadric's part ends where bind_arrays
  // begins.
  std::printf(
      "scene_init_parts reset %.2f pictures %.2f tex_settings %.2f quadric %.2f bind_arrays %.2f "
      "music_open %.2f music_play %.2f capture_texture %.2f\n",
      init.reset, init.pictures, init.quadric_begin - init.pictures_end, init.bind_begin - init.quadric_begin,
      init.bind, init.music_open, init.music_play, init.capture);
  for (int i = 0; i < init.picture_count; ++i) {
    const PictureTimes& p = init.picture[i];
    std::printf("picture %s total %.2f read %.2f decode %.2f rest %.2f upload %.2f\n", p.path, p.total, p.read,
                p.decode, p.total - p.read - p.decode - p.upload, p.upload);
  }
  std::fflush(stdout);
  platform::post_quit_message(0);
}

}  // namespace

void probe::at(probe::Point point, const void* subject) {
  using probe::Point;
  const double now = now_ms();
  switch (point) {
    case Point::app_main_begin: {
      main_ms = now;
      start_ms = launch_ms(main_ms);
      break;
    }
    case Point::audio_init_end:
      audio_init_ms = since(Point::audio_init_begin, now);
      break;
    case Point::scene_init_begin:
      init.begin = now;
      init_cpu_begin_ms = clock_ms(CLOCK_THREAD_CPUTIME_ID);
      break;
    case Point::scene_init_end:
      init_cpu_ms = clock_ms(CLOCK_THREAD_CPUTIME_ID) - init_cpu_begin_ms;
      init_end_ms = now_ms();
      break;
    case Point::fountain_reset_end:
      init.reset += since(Point::fountain_reset_begin, now);
      break;
    case Point::picture_begin: {
      picture_counted = init.picture_count < max_pictures;
      if (!picture_counted) break;
      const char* path = static_cast<const char*>(subject);
      PictureTimes& times = init.picture[init.picture_count++];
      times.path = std::strrchr(path, '/') != nullptr ? std::strrchr(path, '/') + 1 : path;
      init.in_picture = true;
      picture_begin_ms = now_ms();
      break;
    }
    case Point::picture_end:
      if (!picture_counted) break;
      init.in_picture = false;
      init.picture[init.picture_count - 1].total = now - picture_begin_ms;
      init.pictures += now - picture_begin_ms;
      init.pictures_end = now;
      break;
    case Point::file_read_begin:
      read_begin_ms = now;
      break;
    case Point::file_read_end:
      if (PictureTimes* times = current_picture()) times->read += now - read_begin_ms;
      break;
    case Point::quadric_begin:
      init.quadric_begin = now;
      break;
    case Point::bind_arrays_begin:
      init.bind_begin = now;
      break;
    case Point::bind_arrays_end:
      init.bind = now - init.bind_begin;
      break;
    case Point::music_open_end:
      init.music_open = since(Point::music_open_begin, now);
      break;
    case Point::music_play_end:
      init.music_play = since(Point::music_play_begin, now);
      break;
    case Point::capture_texture_end:
      init.capture_end = now;
      init.capture = since(Point::capture_texture_begin, now);
      break;
    case Point::spectrum_end:
      if (!presented) draw_fft_ms += since(Point::spectrum_begin, now);
      break;
    case Point::quad_draw_end:
      if (!presented) draw_quads_ms += since(Point::quad_draw_begin, now);
      break;
    case Point::draw_frame_begin:
      draw_timed = !presented && draw_begin_ms == 0.0;
      if (draw_timed) draw_begin_ms = now;
      break;
    case Point::draw_frame_end:
      // glFinish would change what the frame does; the draw's own time is
      // what the calls take to return, the rest lands in the present.
      if (draw_timed) draw_end_ms = now;
      draw_timed = false;
      break;
    case Point::swap_end:
      if (!presented) report_first_frame();
      break;
    default:
      passed_ms[static_cast<size_t>(point)] = now;
      break;
  }
}
