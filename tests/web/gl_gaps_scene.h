// A small scene drawn through the GL calls the browser's GL lacks (the GLU
// sphere, sphere-map texture generation, legacy texture formats, a copy into
// a texture that replaces an earlier one), the same
// on native Mesa and in the page, so that the two pictures can be compared.
#pragma once

constexpr int gl_gaps_scene_size = 256;

// Draws the scene into the current context's gl_gaps_scene_size square.
void draw_gl_gaps_scene();
