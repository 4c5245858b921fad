#include "app/app_main.h"

#include "app/frame_pace.h"
#include "app/gl_window.h"
#include "platform/demo_screen.h"
#include "platform/platform.h"
#include "probe/probe_points.h"

using namespace platform;

namespace {

constexpr int window_bits = 32;
constexpr float run_seconds = 16.0f;

// Draws a frame with this pass's step and tells the pace that it was drawn.
bool draw_paced_frame() {
  probe::at(probe::Point::draw_frame_begin);
  const bool drawn = gl_window.draw_frame();
  probe::at(probe::Point::draw_frame_end);
  frame_pace_frame_drawn();
  return drawn;
}

}  // namespace

int app_main(void*, void*, char*, int) {
  probe::at(probe::Point::app_main_begin);
  bool quit = false;
  // Zeroed, so a loop that ends before taking any message exits with 0.
  Message message{};

  if (!gl_window.create("zarnic's engin", demo_screen_width, demo_screen_height, window_bits, gl_window.fullscreen)) {
    return 0;
  }

  while (!quit) {
    // On every pass, as the demo always did: the step a frame drawn now takes.
    gl_window.frame_step = frame_pace_step();

    probe::at(probe::Point::peek_begin);
    const bool taken = peek_message(&message, nullptr, 0, 0, PM_REMOVE);
    probe::at(probe::Point::peek_end, taken ? &message : nullptr);
    if (taken) {
      if (message.message == WM_QUIT) {
        quit = true;
      } else {
        translate_message(&message);
        dispatch_message(&message);
      }
    } else if (gl_window.window_active && !draw_paced_frame()) {
      quit = true;
    } else if (gl_window.key_down[VK_ESCAPE]) {
      quit = true;
    } else if (gl_window.timer_seconds > run_seconds) {
      quit = true;
    } else {
      probe::at(probe::Point::swap_begin);
      swap_buffers(gl_window.device_context);
      probe::at(probe::Point::swap_end);
    }
  }

  gl_window.destroy();
  return static_cast<int>(message.wparam);
}
