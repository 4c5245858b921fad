// The demo's screen size in pixels: the window the demo opens and the
// display mode it asks for, the screen the tests' stand-in backend offers,
// and the offscreen frames the tools render and record. One size for all of
// them, so that every build and every tool draws the same picture.
#pragma once

constexpr int demo_screen_width = 1024;
constexpr int demo_screen_height = 768;
