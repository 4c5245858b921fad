// The window's part of the show, offscreen: the shell's own GlWindow::resize,
// GlWindow::init_gl and GlWindow::draw_frame on a Mesa context that needs no
// window.
#include "tools/render_frames/show_harness.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstring>

#include "app/gl_window.h"
#include "demo/scene.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"

namespace {

// A context reused from an earlier show in the same process still carries
// that show's state; put back what a new context starts with.
void return_to_new_context_state() {
  auto unlock_arrays = reinterpret_cast<PFNGLUNLOCKARRAYSEXTPROC>(platform::gl_proc_address("glUnlockArraysEXT"));
  if (unlock_arrays != nullptr) unlock_arrays();
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Unlocking arrays that were not locked is an error; start with none.
  while (glGetError() != GL_NO_ERROR) {
  }
}

}  // namespace

namespace show {

bool open_offscreen_window() {
  if (!platform::script::make_offscreen_gl(screen_width, screen_height)) return false;
  return_to_new_context_state();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gl_window.resize(screen_width, screen_height);
  return true;
}

void start_show() { gl_window.init_gl(); }

void draw_frame(float frame_step) {
  gl_window.frame_step = frame_step;
  gl_window.draw_frame();
}

const uint8_t* screen_rgba() {
  glFinish();
  return platform::script::offscreen_pixels();
}

Rgb pixel_at(int x, int y) {
  glFinish();
  const uint8_t* p = platform::script::offscreen_pixels() + (static_cast<size_t>(y) * screen_width + x) * 4;
  return Rgb{p[0], p[1], p[2]};
}

std::vector<uint8_t> screen_rgb() {
  glFinish();
  const uint8_t* pixels = platform::script::offscreen_pixels();
  std::vector<uint8_t> rgb(static_cast<size_t>(screen_width) * screen_height * 3);
  for (int row = 0; row < screen_height; ++row) {
    const uint8_t* src = pixels + static_cast<size_t>(screen_height - 1 - row) * screen_width * 4;
    uint8_t* dst = rgb.data() + static_cast<size_t>(row) * screen_width * 3;
    for (int x = 0; x < screen_width; ++x) {
      dst[x * 3 + 0] = src[x * 4 + 0];
      dst[x * 3 + 1] = src[x * 4 + 1];
      dst[x * 3 + 2] = src[x * 4 + 2];
    }
  }
  return rgb;
}

bool write_png(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

std::vector<uint8_t> read_png(const std::string& path, int* width, int* height) {
  int channels = 0;
  uint8_t* data = stbi_load(path.c_str(), width, height, &channels, 3);
  if (data == nullptr) return {};
  std::vector<uint8_t> rgb(data, data + static_cast<size_t>(*width) * *height * 3);
  stbi_image_free(data);
  return rgb;
}

std::vector<std::string> missing_data() {
  struct Picture {
    const char* path;
    uint32_t texture;
  };
  // The pictures in the order Scene::init loads them.
  const Picture pictures[] = {
      {"data/texture.jpg", sphere_texture}, {"data/serce.jpg", mesh_texture}, {"data/ip.jpg", backdrop_texture},
      {"data/cover.jpg", cover_texture},    {"data/c.jpg", pulse_texture},    {"data/credits.jpg", credits_texture},
      {"data/part.jpg", particle_texture},  {"data/env.jpg", env_texture},
  };
  std::vector<std::string> missing;
  if (demo_mesh == nullptr || demo_mesh->triangle_count == 0) {
    missing.push_back("data/obj.b3df is missing or broken: the mesh is left out");
  }
  for (const Picture& picture : pictures) {
    if (picture.texture == 0) {
      missing.push_back(std::string(picture.path) + " is missing or broken: drawn untextured");
    }
  }
  if (music_stream == 0) {
    missing.push_back("data/orvu.mp3 is missing or broken: silent, and the show stays in its intro");
  }
  return missing;
}

}  // namespace show
