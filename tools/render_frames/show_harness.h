// Runs the show offscreen, without a window: the GL state the window sets up
// before the scene starts, the per-frame clear, the scripted music, and PNG
// files of the result. Shared by the frame renderer, the tests and the
// benchmarks; each of those defines its own `Scene scene` and `demo_mesh`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/demo_screen.h"

namespace show {

constexpr int screen_width = demo_screen_width;
constexpr int screen_height = demo_screen_height;

// Makes the offscreen 1024 x 768 context current, undoes whatever an earlier
// show in this process left in it, and resizes the window to 1024 x 768 (band
// viewport (0, 100, 1024, 550), 45-degree projection with the 4:3 aspect).
bool open_offscreen_window();

// Returns every animation variable, the particle fountain, its generator,
// the spectrum buffer and the music script to their values at start-up
// (library zarnic_show_harness, with the scripted music).
void reset_show_state();

// The window's GL set-up: base state, the scripted audio device, Scene::init.
void start_show();

// One frame as the window draws it: clear, identity, Scene::render.
void draw_frame(float frame_step);

// The colour buffer as the context holds it: RGBA, bottom row first.
const uint8_t* screen_rgba();

// Pixel (x, y) of the offscreen colour buffer, y counted from the bottom.
struct Rgb {
  uint8_t r, g, b;
};
Rgb pixel_at(int x, int y);

// The colour buffer as RGB rows, top row first (the order of a picture file).
std::vector<uint8_t> screen_rgb();

// One line per element of data/ that did not load after start_show
// (missing or broken), named, since the show runs on without it as the live
// demo does and its pictures would otherwise lack it without a word; empty
// when all loaded.
std::vector<std::string> missing_data();

bool write_png(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
// Reads a PNG as RGB rows, top row first; empty on failure.
std::vector<uint8_t> read_png(const std::string& path, int* width, int* height);

}  // namespace show
