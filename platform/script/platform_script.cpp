// Scripted platform layer for tests: windows that exist only as records,
// messages fed by the test, failures on request, everything recorded.
#include "platform/script/platform_script.h"

#include <deque>
#include <memory>
#include <set>

#include "platform/common/message_queue.h"
#include "platform/demo_screen.h"
#include "platform/platform.h"
#include "platform/script/script_records.h"

namespace {

using platform::script::BoxRecord;
using platform::script::Step;

// The frame a WS_OVERLAPPEDWINDOW adds around the client area, as a desktop
// theme would: borders of 8 and a caption of 23 above the top border.
constexpr int frame_side = 8;
constexpr int frame_top = 31;

struct ScriptEntry {
  bool idle;
  platform::Message message;
};

struct ScriptState {
  std::set<Step> failing;
  std::deque<int> box_answers;
  std::deque<ScriptEntry> script;
  int exhausted_peeks = 0;
  platform::MessageQueue queue;

  int64_t counter_frequency = 1000000000;
  std::deque<int64_t> counter_reads;
  int64_t counter_value = 0;
  int64_t counter_step = 30;
  uint32_t time_ms = 0;

  std::vector<std::string> calls;
  std::vector<BoxRecord> boxes;
  std::vector<uint32_t> default_handled;

  bool class_registered = false;
  platform::WindowClass window_class = {};
  std::string class_name;
  bool display_switched = false;
  platform::DisplayMode display_mode = {};
  platform::PixelFormatDescriptor pixel_format = {};
  int cursor_count = 0;
  bool timer_running = false;

  // Records live until reset so that a handle kept by mistake never dangles.
  std::deque<std::unique_ptr<platform::WindowRecord>> windows;
  std::deque<std::unique_ptr<platform::DeviceRecord>> devices;
  platform::WindowRecord* current_window = nullptr;
};

ScriptState state;
platform::ModuleRecord* const module_token = reinterpret_cast<platform::ModuleRecord*>(0x400000);

bool is_overlapped(uint32_t style) { return (style & platform::WS_OVERLAPPEDWINDOW) == platform::WS_OVERLAPPEDWINDOW; }

}  // namespace

namespace platform::script {

namespace detail {
bool step_fails(Step step) { return state.failing.count(step) != 0; }
}  // namespace detail

void reset() {
  detail::forget_contexts();
  state = ScriptState();
}

void fail(Step step) { state.failing.insert(step); }

void answer_message_boxes(std::initializer_list<int> answers) {
  state.box_answers.insert(state.box_answers.end(), answers);
}

void feed(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Message fed{};
  fed.message = message;
  fed.wparam = wparam;
  fed.lparam = lparam;
  state.script.push_back({false, fed});
}

void feed_idle(int count) {
  for (int i = 0; i < count; ++i) state.script.push_back({true, Message{}});
}

void set_counter_frequency(int64_t frequency) { state.counter_frequency = frequency; }
void queue_counter_reads(std::initializer_list<int64_t> values) {
  state.counter_reads.insert(state.counter_reads.end(), values);
}
void set_counter_step(int64_t step) { state.counter_step = step; }
void set_time_ms(uint32_t ms) { state.time_ms = ms; }

const std::vector<std::string>& calls() { return state.calls; }
const std::vector<BoxRecord>& message_boxes() { return state.boxes; }
const std::vector<uint32_t>& default_handled() { return state.default_handled; }
void log_call(const std::string& call) { state.calls.push_back(call); }

WindowHandle current_window() { return state.current_window; }
WindowInfo window_info() { return state.current_window != nullptr ? state.current_window->info : WindowInfo{}; }
bool class_registered() { return state.class_registered; }
WindowClass registered_class() { return state.window_class; }
bool display_switched() { return state.display_switched; }
DisplayMode last_display_mode() { return state.display_mode; }
PixelFormatDescriptor last_pixel_format() { return state.pixel_format; }
int cursor_count() { return state.cursor_count; }
bool timer_running() { return state.timer_running; }

}  // namespace platform::script

namespace platform {

using script::detail::step_fails;

InstanceHandle get_module_handle() { return module_token; }

IconHandle load_icon(InstanceHandle, int id) {
  return id == IDI_WINLOGO ? reinterpret_cast<IconHandle>(static_cast<uintptr_t>(id)) : nullptr;
}

CursorHandle load_cursor(InstanceHandle, int id) {
  return id == IDC_ARROW ? reinterpret_cast<CursorHandle>(static_cast<uintptr_t>(id)) : nullptr;
}

uint16_t register_class(const WindowClass& window_class) {
  state.calls.push_back("register_class");
  if (step_fails(script::Step::register_class) || state.class_registered) return 0;
  state.class_registered = true;
  state.window_class = window_class;
  state.class_name = window_class.class_name != nullptr ? window_class.class_name : "";
  state.window_class.class_name = state.class_name.c_str();
  return 0xC001;
}

bool unregister_class(const char* class_name, InstanceHandle) {
  state.calls.push_back("unregister_class");
  if (step_fails(script::Step::unregister_class) || !state.class_registered || state.class_name != class_name) {
    return false;
  }
  // As on the desktop, a class stays while a window of it exists.
  for (const auto& window : state.windows) {
    if (window->info.exists && window->info.class_name == class_name) return false;
  }
  state.class_registered = false;
  return true;
}

int32_t change_display_settings(const DisplayMode* mode, uint32_t flags) {
  if (mode == nullptr) {
    state.calls.push_back("change_display restore");
    state.display_switched = false;
    return DISP_CHANGE_SUCCESSFUL;
  }
  state.calls.push_back("change_display");
  state.display_mode = *mode;
  // The stand-in screen has the demo's size, at any depth.
  const bool offered = mode->pels_width == demo_screen_width && mode->pels_height == demo_screen_height;
  if (step_fails(script::Step::change_display) || flags != CDS_FULLSCREEN || !offered) {
    return DISP_CHANGE_BADMODE;
  }
  state.display_switched = true;
  return DISP_CHANGE_SUCCESSFUL;
}

int show_cursor(bool show) {
  state.calls.push_back(show ? "show_cursor true" : "show_cursor false");
  state.cursor_count += show ? 1 : -1;
  return state.cursor_count;
}

bool adjust_window_rect_ex(Rect* rect, uint32_t style, bool, uint32_t) {
  state.calls.push_back("adjust_window_rect_ex");
  if (is_overlapped(style)) {
    rect->left -= frame_side;
    rect->top -= frame_top;
    rect->right += frame_side;
    rect->bottom += frame_side;
  }
  return true;
}

WindowHandle create_window_ex(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x,
                              int y, int width, int height, WindowHandle, const void*, InstanceHandle, const void*) {
  state.calls.push_back("create_window");
  if (step_fails(script::Step::create_window) || !state.class_registered || state.class_name != class_name) {
    return nullptr;
  }
  auto window = std::make_unique<WindowRecord>();
  window->proc = state.window_class.window_proc;
  window->info.exists = true;
  window->info.class_name = class_name;
  window->info.title = title;
  window->info.style = style;
  window->info.ex_style = ex_style;
  window->info.x = x;
  window->info.y = y;
  window->info.width = width;
  window->info.height = height;
  const bool framed = is_overlapped(style);
  window->info.client_width = framed ? width - 2 * frame_side : width;
  window->info.client_height = framed ? height - frame_top - frame_side : height;
  window->pixels.assign(static_cast<size_t>(window->info.client_width) * window->info.client_height * 4, 0);
  state.current_window = window.get();
  state.windows.push_back(std::move(window));
  // As on the desktop, the new window learns its client size before
  // creation returns, before any GL context exists.
  WindowRecord* created = state.current_window;
  created->proc(created, WM_SIZE, SIZE_RESTORED,
                make_lparam(static_cast<uint16_t>(created->info.client_width),
                            static_cast<uint16_t>(created->info.client_height)));
  return created;
}

bool destroy_window(WindowHandle window) {
  state.calls.push_back("destroy_window");
  if (step_fails(script::Step::destroy_window) || window == nullptr || !window->info.exists) {
    return false;
  }
  window->info.exists = false;
  state.timer_running = false;
  if (state.current_window == window) state.current_window = nullptr;
  return true;
}

bool show_window(WindowHandle window, int) {
  state.calls.push_back("show_window");
  if (window == nullptr) return false;
  window->info.shown = true;
  return true;
}

bool set_foreground_window(WindowHandle) {
  state.calls.push_back("set_foreground_window");
  return true;
}

WindowHandle set_focus(WindowHandle window) {
  state.calls.push_back("set_focus");
  return window;
}

uintptr_t set_timer(WindowHandle window, uintptr_t id, uint32_t, const void*) {
  state.calls.push_back("set_timer");
  if (window == nullptr) return 0;
  state.timer_running = true;
  return id;
}

DeviceContext get_dc(WindowHandle window) {
  state.calls.push_back("get_dc");
  if (step_fails(script::Step::get_dc) || window == nullptr) return nullptr;
  auto device = std::make_unique<DeviceRecord>();
  device->window = window;
  state.devices.push_back(std::move(device));
  return state.devices.back().get();
}

bool release_dc(WindowHandle window, DeviceContext dc) {
  state.calls.push_back("release_dc");
  return !step_fails(script::Step::release_dc) && dc != nullptr && dc->window == window;
}

int choose_pixel_format(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  state.calls.push_back("choose_pixel_format");
  if (step_fails(script::Step::choose_pixel_format) || dc == nullptr) return 0;
  state.pixel_format = *descriptor;
  return 1;
}

bool set_pixel_format(DeviceContext dc, int index, const PixelFormatDescriptor*) {
  state.calls.push_back("set_pixel_format");
  if (step_fails(script::Step::set_pixel_format) || dc == nullptr || index != 1) return false;
  dc->pixel_format = index;
  return true;
}

int message_box(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
  state.calls.push_back(std::string("message_box ") + caption + ": " + text);
  state.boxes.push_back({owner, text, caption, type});
  if (!state.box_answers.empty()) {
    const int answer = state.box_answers.front();
    state.box_answers.pop_front();
    return answer;
  }
  return (type & MB_TYPEMASK) == MB_OK ? IDOK : 0;
}

// Always removes what it takes: the shell peeks with PM_REMOVE only.
bool peek_message(Message* message, WindowHandle, uint32_t, uint32_t, uint32_t) {
  // Posted messages first, then the scripted input, then a pending quit.
  Message taken{};
  bool found = state.queue.take(&taken);
  const bool input_ready = !state.script.empty() && !state.script.front().idle;
  if (found && taken.message == WM_QUIT && input_ready) {
    // The quit waits behind input; put it back.
    state.queue.post_quit(static_cast<int>(taken.wparam));
    found = false;
  }
  if (!found && input_ready) {
    taken = state.script.front().message;
    taken.window = state.current_window;
    state.script.pop_front();
    found = true;
  }
  if (!found && !state.script.empty()) {
    state.script.pop_front();  // an idle marker: this peek finds nothing
    return false;
  }
  if (!found) {
    if (++state.exhausted_peeks >= script::exhausted_idle_limit) {
      state.calls.push_back("script exhausted");
      state.exhausted_peeks = 0;
      state.queue.post_quit(script::exhausted_exit_code);
    }
    return false;
  }
  state.exhausted_peeks = 0;
  taken.time = state.time_ms;
  *message = taken;
  return true;
}

bool translate_message(const Message* message) { return translate_key(state.queue, *message, false); }

intptr_t dispatch_message(const Message* message) {
  if (message->window == nullptr || message->window->proc == nullptr) return 0;
  return message->window->proc(message->window, message->message, message->wparam, message->lparam);
}

void post_quit_message(int exit_code) {
  state.calls.push_back("post_quit " + std::to_string(exit_code));
  state.queue.post_quit(exit_code);
}

intptr_t def_window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t) {
  state.default_handled.push_back(message);
  if (window == nullptr || window->proc == nullptr) return 0;
  // The system close command asks the window to close, and Alt+F4 is that
  // command, as on the desktop.
  if (message == WM_SYSCOMMAND && (wparam & SC_COMMAND_MASK) == SC_CLOSE) window->proc(window, WM_CLOSE, 0, 0);
  if (message == WM_SYSKEYDOWN && wparam == VK_F1 + 3) window->proc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

int64_t query_performance_frequency() { return state.counter_frequency; }

int64_t query_performance_counter() {
  if (!state.counter_reads.empty()) {
    state.counter_value = state.counter_reads.front();
    state.counter_reads.pop_front();
    return state.counter_value;
  }
  state.counter_value += state.counter_step;
  return state.counter_value;
}

uint32_t time_get_time() { return state.time_ms; }

}  // namespace platform
