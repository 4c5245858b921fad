#include "platform/common/window_rules.h"

namespace platform {

namespace {

constexpr intptr_t key_alt_flag = intptr_t{1} << 29;
constexpr uintptr_t VK_F4 = VK_F1 + 3;

}  // namespace

bool take_timer_tick(WindowTimer& timer, Message* message, uint64_t now_ms) {
  if (!timer.running || now_ms < timer.due_ms) return false;
  while (timer.due_ms <= now_ms) timer.due_ms += timer.period_ms;
  *message = Message{};
  message->window = timer.window;
  message->message = WM_TIMER;
  message->wparam = timer.id;
  return true;
}

int choose_window_pixel_format(const PixelFormatDescriptor* descriptor) {
  constexpr uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  if (descriptor == nullptr || (descriptor->flags & needed) != needed || descriptor->pixel_type != PFD_TYPE_RGBA) {
    return 0;
  }
  return window_pixel_format;
}

intptr_t default_window_proc(WindowHandle window, WindowProc proc, uint32_t message, uintptr_t wparam, intptr_t lparam,
                             void (*allow_screen_saver)()) {
  if (message == WM_SYSKEYDOWN && wparam == VK_F4 && (lparam & key_alt_flag) != 0) {
    return proc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  if (message != WM_SYSCOMMAND) return 0;
  switch (wparam & SC_COMMAND_MASK) {
    case SC_CLOSE:
      proc(window, WM_CLOSE, 0, 0);
      break;
    case SC_SCREENSAVE:
    case SC_MONITORPOWER:
      allow_screen_saver();  // the window does not object
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace platform
