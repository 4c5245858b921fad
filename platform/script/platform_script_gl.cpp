// GL for the scripted backend: real offscreen Mesa contexts, so tests draw
// through the same GL implementation the demo uses under X.
#include <GL/osmesa.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/script/platform_script.h"

namespace {

struct OffscreenGl {
  OSMesaContext context = nullptr;
  std::vector<uint8_t> pixels;
  int width = 0;
  int height = 0;
};

OffscreenGl script_gl;

}  // namespace

namespace platform::script {

bool make_offscreen_gl(int width, int height) {
  if (script_gl.context == nullptr) {
    script_gl.context = OSMesaCreateContextExt(OSMESA_RGBA, 32, 0, 0, nullptr);
    if (script_gl.context == nullptr) {
      script_gl.context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    }
    if (script_gl.context == nullptr) return false;
  }
  if (script_gl.width != width || script_gl.height != height) {
    script_gl.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    script_gl.width = width;
    script_gl.height = height;
  }
  return OSMesaMakeCurrent(script_gl.context, script_gl.pixels.data(), GL_UNSIGNED_BYTE, width,
                           height) == GL_TRUE;
}

const uint8_t* offscreen_pixels() {
  return OSMesaGetCurrentContext() != nullptr ? script_gl.pixels.data() : nullptr;
}

}  // namespace platform::script

namespace platform {

void* gl_proc_address(const char* name) {
  return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

}  // namespace platform
