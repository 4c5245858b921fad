// Draws the GL-gaps scene in the page, on a context made through the web
// platform layer as the show's is, and publishes the picture (RGB, top row
// first) as window.zarnic_gl_gaps_pixels for the test to compare.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/gl.h"
#include "platform/platform.h"
#include "tests/web/gl_gaps_scene.h"

using namespace platform;

namespace {

intptr_t window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return def_window_proc(window, message, wparam, lparam);
}

// clang-format off
EM_JS(void, publish_pixels, (const uint8_t* rgb, int size), {
  window.zarnic_gl_gaps_pixels = Array.from(HEAPU8.slice(rgb, rgb + size));
});
// clang-format on

}  // namespace

int main() {
  WindowClass window_class = {};
  window_class.window_proc = window_proc;
  window_class.class_name = "gl gaps";
  PixelFormatDescriptor format = {};
  format.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.pixel_type = PFD_TYPE_RGBA;
  if (register_class(window_class) == 0) return 1;
  WindowHandle window = create_window_ex(0, "gl gaps", "gl gaps", WS_POPUP, 0, 0, gl_gaps_scene_size,
                                         gl_gaps_scene_size, nullptr, nullptr, get_module_handle(), nullptr);
  DeviceContext dc = get_dc(window);
  if (dc == nullptr || !set_pixel_format(dc, choose_pixel_format(dc, &format), &format)) return 1;
  RenderContext context = create_context(dc);
  if (context == nullptr || !make_current(dc, context)) return 1;
  draw_gl_gaps_scene();
  std::vector<uint8_t> rgba(gl_gaps_scene_size * gl_gaps_scene_size * 4);
  glReadPixels(0, 0, gl_gaps_scene_size, gl_gaps_scene_size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::vector<uint8_t> rgb;
  for (int row = gl_gaps_scene_size - 1; row >= 0; --row) {
    for (int x = 0; x < gl_gaps_scene_size; ++x) {
      const uint8_t* p = &rgba[(row * gl_gaps_scene_size + x) * 4];
      rgb.insert(rgb.end(), p, p + 3);
    }
  }
  publish_pixels(rgb.data(), static_cast<int>(rgb.size()));
  return 0;
}
