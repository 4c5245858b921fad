#include "platform/common/hosted_windows.h"

namespace platform {

namespace {

constexpr intptr_t monitor_off = 2;

// The window does not object to the screen saver or the monitor powering
// down.
void allow_screen_saver() { backend_keep_screen_on(false); }

}  // namespace

HostedWindows hosted = {};

WindowRecord* first_window() {
  for (WindowRecord& record : hosted.windows) {
    if (record.exists) return &record;
  }
  return nullptr;
}

WindowRecord* free_window() {
  for (WindowRecord& record : hosted.windows) {
    if (!record.exists) return &record;
  }
  return nullptr;
}

bool window_exists(WindowHandle window) { return window != nullptr && window->exists; }

void queue_input(WindowRecord* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Message input{};
  input.window = window;
  input.message = message;
  input.wparam = wparam;
  input.lparam = lparam;
  hosted.queue.push_input(input);
}

void forget_window(WindowRecord* window) {
  if (hosted.timer.window == window) hosted.timer.running = false;
  window->exists = false;
  window->native = nullptr;
}

void ask_about_screen_saver(WindowRecord* window) {
  backend_keep_screen_on(true);
  window->proc(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  window->proc(window, WM_SYSCOMMAND, SC_MONITORPOWER, monitor_off);
}

InstanceHandle get_module_handle() { return &hosted.module; }

IconHandle load_icon(InstanceHandle, int id) { return id == IDI_WINLOGO ? &hosted.module : nullptr; }

CursorHandle load_cursor(InstanceHandle, int id) { return id == IDC_ARROW ? &hosted.module : nullptr; }

uint16_t register_class(const WindowClass& window_class) { return hosted.classes.add(window_class); }

bool unregister_class(const char* class_name, InstanceHandle) {
  return hosted.classes.remove_unless_used(class_name, hosted.windows);
}

int show_cursor(bool show) {
  hosted.cursor_count += show ? 1 : -1;
  backend_show_cursor(hosted.cursor_count >= 0);
  return hosted.cursor_count;
}

uintptr_t set_timer(WindowHandle window, uintptr_t id, uint32_t period_ms, const void*) {
  if (!window_exists(window) || period_ms == 0) return 0;
  hosted.timer = WindowTimer{true, window, id, period_ms, backend_now_ms() + period_ms};
  return id;
}

DeviceContext get_dc(WindowHandle window) { return window_exists(window) ? &window->device : nullptr; }

bool release_dc(WindowHandle window, DeviceContext dc) { return window != nullptr && dc == &window->device; }

int choose_pixel_format(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  return dc != nullptr ? choose_window_pixel_format(descriptor) : 0;
}

bool set_pixel_format(DeviceContext dc, int index, const PixelFormatDescriptor*) {
  if (dc == nullptr || index != window_pixel_format) return false;
  dc->pixel_format = index;
  return true;
}

bool peek_message(Message* message, WindowHandle, uint32_t, uint32_t, uint32_t) {
  // Posted messages, then input, then a pending quit, then the timer.
  bool found = hosted.queue.take_posted(message);
  if (!found) {
    backend_pump_events();
    found = hosted.queue.take(message);
  }
  const uint64_t now_ms = backend_now_ms();
  if (!found) found = take_timer_tick(hosted.timer, message, now_ms);
  if (found) {
    message->time = static_cast<uint32_t>(now_ms);
    message->point = backend_cursor_point(message->window);
  }
  return found;
}

bool translate_message(const Message* message) { return translate_key(hosted.queue, *message, backend_shift_down()); }

intptr_t dispatch_message(const Message* message) {
  WindowRecord* window = message->window;
  if (!window_exists(window) || window->proc == nullptr) return 0;
  return window->proc(window, message->message, message->wparam, message->lparam);
}

void post_quit_message(int exit_code) { hosted.queue.post_quit(exit_code); }

intptr_t def_window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (!window_exists(window)) return 0;
  return default_window_proc(window, window->proc, message, wparam, lparam, allow_screen_saver);
}

uint32_t time_get_time() { return static_cast<uint32_t>(backend_now_ms()); }

}  // namespace platform
