// The demo's one window with its GL context, and the window procedure that
// keeps the seconds counter, the key table and the active flag.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class GlWindow {
 public:
  bool create(const char* title, int width, int height, int bits, bool fullscreen_wanted);
  void destroy();
  void resize(int width, int height);
  bool init_gl();
  bool draw_frame();

  float timer_seconds = 0.0f;
  float frame_step = 0.0f;
  uint8_t key_down[256] = {};
  bool window_active = true;
  bool fullscreen = true;
  platform::InstanceHandle instance_handle = nullptr;
  platform::DeviceContext device_context = nullptr;
  platform::RenderContext render_context = nullptr;
  platform::WindowHandle window_handle = nullptr;
};

intptr_t window_proc(platform::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);

extern GlWindow gl_window;
