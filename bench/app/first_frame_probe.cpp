// Linked into a copy of the demo in place of nothing: wraps app_main,
// Scene::init, the calls Scene::init makes and swap_buffers at link time to
// time the way from process start (ZARNIC_T0_NS, CLOCK_REALTIME nanoseconds
// taken by the launcher) to the first presented frame, with Scene::init
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

int __real__Z8app_mainPvS_Pci(void*, void*, char*, int);
bool __real__ZN5Scene4initEv(void*);
bool __real__ZN8platform12swap_buffersEPNS_12DeviceRecordE(platform::DeviceContext);
int __real__Z9BASS_InitijjPvPKv(int, uint32_t, uint32_t, void*, const void*);
void __real__ZN16ParticleFountain5resetEv(void*);
int __real__Z20load_picture_texturePKcPj(const char*, uint32_t*);
bool __real__Z15read_file_bytesPKcPSt6vectorIhSaIhEE(const char*, std::vector<uint8_t>*);
int __real_tjDecompress2(tjhandle, const unsigned char*, unsigned long, unsigned char*, int, int, int, int, int);
void __real_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void* __real_gluNewQuadric();
void __real__ZN4Mesh11bind_arraysEv(void*);
uint32_t __real__Z21BASS_StreamCreateFileiPKvmmj(int, const void*, uint64_t, uint64_t, uint32_t);
int __real__Z15BASS_StreamPlayjij(uint32_t, int, uint32_t);
void __real__ZN9RenderKit18make_blank_textureEPjiiji(void*, uint32_t*, int32_t, int32_t, uint32_t, int32_t);
bool __real__ZN8GlWindow10draw_frameEv(void*);
uint32_t __real__Z19BASS_ChannelGetDatajPvj(uint32_t, void*, uint32_t);
void __real__ZN12TexturedQuad4drawEffj(void*, float, float, uint32_t);

int __wrap__Z8app_mainPvS_Pci(void* instance, void* previous, char* command_line, int show) {
  main_ms = now_ms();
  const char* t0 = std::getenv("ZARNIC_T0_NS");
  start_ms = t0 != nullptr ? static_cast<double>(std::strtoull(t0, nullptr, 10)) / 1e6 : main_ms;
  return __real__Z8app_mainPvS_Pci(instance, previous, command_line, show);
}

int __wrap__Z9BASS_InitijjPvPKv(int device, uint32_t frequency, uint32_t flags, void* window, const void* clsid) {
  const double begin = now_ms();
  const int result = __real__Z9BASS_InitijjPvPKv(device, frequency, flags, window, clsid);
  audio_init_ms = now_ms() - begin;
  return result;
}

bool __wrap__ZN5Scene4initEv(void* scene) {
  init.begin = now_ms();
  const double cpu_begin = clock_ms(CLOCK_THREAD_CPUTIME_ID);
  const bool result = __real__ZN5Scene4initEv(scene);
  init_cpu_ms = clock_ms(CLOCK_THREAD_CPUTIME_ID) - cpu_begin;
  init_end_ms = now_ms();
  return result;
}

void __wrap__ZN16ParticleFountain5resetEv(void* fountain) {
  const double begin = now_ms();
  __real__ZN16ParticleFountain5resetEv(fountain);
  init.reset += now_ms() - begin;
}

int __wrap__Z20load_picture_texturePKcPj(const char* path, uint32_t* texture) {
  if (init.picture_count == max_pictures) return __real__Z20load_picture_texturePKcPj(path, texture);
  PictureTimes& times = init.picture[init.picture_count++];
  times.path = std::strrchr(path, '/') != nullptr ? std::strrchr(path, '/') + 1 : path;
  init.in_picture = true;
  const double begin = now_ms();
  const int result = __real__Z20load_picture_texturePKcPj(path, texture);
  const double end = now_ms();
  init.in_picture = false;
  times.total = end - begin;
  init.pictures += times.total;
  init.pictures_end = end;
  return result;
}

bool __wrap__Z15read_file_bytesPKcPSt6vectorIhSaIhEE(const char* path, std::vector<uint8_t>* bytes) {
  const double begin = now_ms();
  const bool result = __real__Z15read_file_bytesPKcPSt6vectorIhSaIhEE(path, bytes);
  if (PictureTimes* times = current_picture()) times->read += now_ms() - begin;
  return result;
}

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

void* __wrap_gluNewQuadric() {
  init.quadric_begin = now_ms();
  return __real_gluNewQuadric();
}

void __wrap__ZN4Mesh11bind_arraysEv(void* mesh) {
  init.bind_begin = now_ms();
  __real__ZN4Mesh11bind_arraysEv(mesh);
  init.bind = now_ms() - init.bind_begin;
}

uint32_t __wrap__Z21BASS_StreamCreateFileiPKvmmj(int memory, const void* file, uint64_t offset, uint64_t length,
                                                 uint32_t flags) {
  const double begin = now_ms();
  const uint32_t result = __real__Z21BASS_StreamCreateFileiPKvmmj(memory, file, offset, length, flags);
  init.music_open = now_ms() - begin;
  return result;
}

int __wrap__Z15BASS_StreamPlayjij(uint32_t stream, int flush, uint32_t flags) {
  const double begin = now_ms();
  const int result = __real__Z15BASS_StreamPlayjij(stream, flush, flags);
  init.music_play = now_ms() - begin;
  return result;
}

void __wrap__ZN9RenderKit18make_blank_textureEPjiiji(void* kit, uint32_t* names, int32_t size, int32_t components,
                                                     uint32_t format, int32_t index) {
  const double begin = now_ms();
  __real__ZN9RenderKit18make_blank_textureEPjiiji(kit, names, size, components, format, index);
  init.capture_end = now_ms();
  init.capture = init.capture_end - begin;
}

uint32_t __wrap__Z19BASS_ChannelGetDatajPvj(uint32_t channel, void* buffer, uint32_t length) {
  const double begin = now_ms();
  const uint32_t result = __real__Z19BASS_ChannelGetDatajPvj(channel, buffer, length);
  if (!presented) draw_fft_ms += now_ms() - begin;
  return result;
}

void __wrap__ZN12TexturedQuad4drawEffj(void* quad, float width, float height, uint32_t texture) {
  const double begin = now_ms();
  __real__ZN12TexturedQuad4drawEffj(quad, width, height, texture);
  if (!presented) draw_quads_ms += now_ms() - begin;
}

bool __wrap__ZN8GlWindow10draw_frameEv(void* window) {
  if (presented || draw_begin_ms != 0.0) return __real__ZN8GlWindow10draw_frameEv(window);
  draw_begin_ms = now_ms();
  const bool result = __real__ZN8GlWindow10draw_frameEv(window);
  // glFinish would change what the frame does; the draw's own time is what
  // the calls take to return, the rest lands in the present.
  draw_end_ms = now_ms();
  return result;
}

bool __wrap__ZN8platform12swap_buffersEPNS_12DeviceRecordE(platform::DeviceContext dc) {
  const bool result = __real__ZN8platform12swap_buffersEPNS_12DeviceRecordE(dc);
  if (!presented) {
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
  return result;
}

}  // extern "C"
