// Draws the GL-gaps scene on native Mesa (offscreen) and writes it as a
// binary PPM, top row first:  web_gl_gaps_native OUT.ppm
#include <cstdio>

#include "platform/gl.h"
#include "platform/script/platform_script.h"
#include "tests/web/gl_gaps_scene.h"

int main(int argc, char** argv) {
  if (argc != 2 || !platform::script::make_offscreen_gl(gl_gaps_scene_size, gl_gaps_scene_size)) return 2;
  draw_gl_gaps_scene();
  const uint8_t* pixels = platform::script::offscreen_pixels();
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || pixels == nullptr) return 1;
  std::fprintf(out, "P6\n%d %d\n255\n", gl_gaps_scene_size, gl_gaps_scene_size);
  for (int row = gl_gaps_scene_size - 1; row >= 0; --row) {
    for (int x = 0; x < gl_gaps_scene_size; ++x) std::fwrite(&pixels[(row * gl_gaps_scene_size + x) * 4], 1, 3, out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
