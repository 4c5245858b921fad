// Named places in the program where a timing probe looks in: the start of
// app_main, both sides of the main loop's calls, of Scene::init and its
// parts, of the first frame's draws. Each place calls probe::at with its
// point and, for some points, what it is about (the subject, below).
//
// In the demo, the player and the tools every call compiles to nothing. A
// program built with ZARNIC_PROBES (the timing probes in bench/app, and the
// player's frame test, which drives the main loop from its peek) is linked
// with libraries compiled for it (zarnic_library's probe copies) and defines
// probe::at itself.
#pragma once

namespace probe {

enum class Point {
  app_main_begin,
  // Around BASS_Init and Scene::init, in GlWindow::init_gl.
  audio_init_begin,
  audio_init_end,
  scene_init_begin,
  scene_init_end,
  // Scene::init's parts, in its order. picture_begin's subject is the
  // picture's path (const char*).
  fountain_reset_begin,
  fountain_reset_end,
  picture_begin,
  picture_end,
  quadric_begin,
  bind_arrays_begin,
  bind_arrays_end,
  music_open_begin,
  music_open_end,
  music_play_begin,
  music_play_end,
  capture_texture_begin,
  capture_texture_end,
  // Every read_file_bytes, on whichever thread reads.
  file_read_begin,
  file_read_end,
  // The main loop: peek_end's subject is the message taken (Message*), or
  // null when none was waiting.
  peek_begin,
  peek_end,
  draw_frame_begin,
  draw_frame_end,
  swap_begin,
  swap_end,
  // Inside a frame: the spectrum read and each textured quad.
  spectrum_begin,
  spectrum_end,
  quad_draw_begin,
  quad_draw_end,
};

#ifdef ZARNIC_PROBES
void at(Point point, const void* subject = nullptr);
#else
inline void at(Point, const void* = nullptr) {}
#endif

}  // namespace probe
