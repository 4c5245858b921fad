// GL for the scripted backend: real offscreen Mesa contexts, so tests draw
// through the same GL implementation the demo uses under X.
#include <GL/osmesa.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "platform/script/script_records.h"

namespace platform {

struct ContextRecord {
  OSMesaContext osmesa = nullptr;
};

}  // namespace platform

namespace {

struct OffscreenGl {
  OSMesaContext context = nullptr;
  std::vector<uint8_t> pixels;
  int width = 0;
  int height = 0;
};

OffscreenGl script_gl;
std::deque<platform::ContextRecord> window_contexts;
const uint8_t* current_pixels = nullptr;

// RGBA with the deepest depth buffer Mesa offers, as the window backend asks.
OSMesaContext new_context() {
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 32, 0, 0, nullptr);
  if (context == nullptr) context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  return context;
}

}  // namespace

namespace platform::script {

bool make_offscreen_gl(int width, int height) {
  if (script_gl.context == nullptr) script_gl.context = new_context();
  if (script_gl.context == nullptr) return false;
  if (script_gl.width != width || script_gl.height != height) {
    script_gl.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    script_gl.width = width;
    script_gl.height = height;
  }
  if (OSMesaMakeCurrent(script_gl.context, script_gl.pixels.data(), GL_UNSIGNED_BYTE, width, height) != GL_TRUE) {
    return false;
  }
  current_pixels = script_gl.pixels.data();
  return true;
}

const uint8_t* offscreen_pixels() { return OSMesaGetCurrentContext() != nullptr ? current_pixels : nullptr; }

namespace detail {

void forget_contexts() {
  if (OSMesaGetCurrentContext() != nullptr && OSMesaGetCurrentContext() != script_gl.context) {
    OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    current_pixels = nullptr;
  }
  for (ContextRecord& record : window_contexts) OSMesaDestroyContext(record.osmesa);
  window_contexts.clear();
}

}  // namespace detail

}  // namespace platform::script

namespace platform {

using script::detail::step_fails;

RenderContext create_context(DeviceContext dc) {
  script::log_call("create_context");
  if (step_fails(script::Step::create_context) || dc == nullptr || dc->pixel_format == 0) {
    return nullptr;
  }
  OSMesaContext context = new_context();
  if (context == nullptr) return nullptr;
  window_contexts.push_back({context});
  return &window_contexts.back();
}

bool make_current(DeviceContext dc, RenderContext context) {
  if (dc == nullptr && context == nullptr) {
    script::log_call("make_current none");
    if (step_fails(script::Step::detach_context)) return false;
    OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    current_pixels = nullptr;
    return true;
  }
  script::log_call("make_current");
  if (step_fails(script::Step::make_current) || dc == nullptr || context == nullptr) {
    return false;
  }
  WindowRecord* window = dc->window;
  if (OSMesaMakeCurrent(context->osmesa, window->pixels.data(), GL_UNSIGNED_BYTE, window->info.client_width,
                        window->info.client_height) != GL_TRUE) {
    return false;
  }
  current_pixels = window->pixels.data();
  return true;
}

void* gl_proc_address(const char* name) { return reinterpret_cast<void*>(OSMesaGetProcAddress(name)); }

bool swap_buffers(DeviceContext dc) {
  script::log_call("swap_buffers");
  if (dc == nullptr) return false;
  glFinish();
  return true;
}

}  // namespace platform
