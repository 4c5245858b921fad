// Platform layer on SDL2: windows, events turned into messages, display
// modes, GL contexts, message boxes and clocks.
#include <SDL2/SDL.h>

#include "platform/common/message_queue.h"
#include "platform/common/window_classes.h"
#include "platform/common/window_rules.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_modes.h"

namespace platform {

struct ModuleRecord {
  int unused;
};

struct DeviceRecord {
  WindowRecord* window;
  int pixel_format;
};

struct WindowRecord {
  bool exists;
  SDL_Window* sdl;
  WindowProc proc;
  DeviceRecord device;
};

struct ContextRecord {
  SDL_GLContext gl;
};

}  // namespace platform

namespace {

using namespace platform;

constexpr int max_windows = 4;
constexpr int max_contexts = 4;
// Depth buffers to ask for, closest to 32 bits first.
constexpr int depth_sizes[] = {32, 24, 16};
constexpr uintptr_t minimised_flag = uintptr_t{1} << 16;
constexpr intptr_t key_alt_flag = intptr_t{1} << 29;
constexpr intptr_t key_previous_flag = intptr_t{1} << 30;
constexpr intptr_t key_release_flag = intptr_t{1} << 31;
constexpr uintptr_t VK_F10 = VK_F1 + 9;
constexpr intptr_t monitor_off = 2;

struct SdlState {
  bool video_ready;
  ModuleRecord module;
  WindowClasses classes;
  WindowRecord windows[max_windows];
  ContextRecord contexts[max_contexts];
  // The mode a fullscreen window will take; set by a successful switch.
  bool display_switched;
  SDL_DisplayMode switched_mode;
  int cursor_count;
  WindowTimer timer;
  MessageQueue queue;
};

SdlState state = {};

bool ensure_video() {
  if (state.video_ready) return true;
  // The window procedure decides about the screen saver (see focus changes),
  // and a fullscreen window that loses the focus stays as it is.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  SDL_StopTextInput();
  state.video_ready = true;
  return true;
}

WindowRecord* window_for(uint32_t sdl_id) {
  SDL_Window* sdl = SDL_GetWindowFromID(sdl_id);
  for (WindowRecord& record : state.windows) {
    if (record.exists && record.sdl == sdl) return &record;
  }
  return nullptr;
}

WindowRecord* first_window() {
  for (WindowRecord& record : state.windows) {
    if (record.exists) return &record;
  }
  return nullptr;
}

void queue_input(WindowRecord* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Message input{};
  input.window = window;
  input.message = message;
  input.wparam = wparam;
  input.lparam = lparam;
  state.queue.push_input(input);
}

uintptr_t minimised(WindowRecord* window) {
  return (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0 ? minimised_flag : 0;
}

intptr_t client_size(WindowRecord* window) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window->sdl, &width, &height);
  return make_lparam(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
}

// The desktop asks the focused window before it starts the screen saver or
// powers the monitor down; the answer comes back through def_window_proc.
void ask_about_screen_saver(WindowRecord* window) {
  SDL_DisableScreenSaver();
  window->proc(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  window->proc(window, WM_SYSCOMMAND, SC_MONITORPOWER, monitor_off);
}

void convert_window_event(const SDL_WindowEvent& event) {
  WindowRecord* window = window_for(event.windowID);
  if (window == nullptr) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      queue_input(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      queue_input(window, WM_ACTIVATE, WA_INACTIVE | minimised_flag, 0);
      queue_input(window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      queue_input(window, WM_ACTIVATE, WA_ACTIVE, 0);
      queue_input(window, WM_SIZE, SIZE_RESTORED, client_size(window));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      queue_input(window, WM_SIZE, SIZE_RESTORED,
                  make_lparam(static_cast<uint16_t>(event.data1), static_cast<uint16_t>(event.data2)));
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      queue_input(window, WM_ACTIVATE, WA_ACTIVE | minimised(window), 0);
      ask_about_screen_saver(window);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      queue_input(window, WM_ACTIVATE, WA_INACTIVE | minimised(window), 0);
      SDL_EnableScreenSaver();
      break;
    default:
      break;
  }
}

void convert_key_event(const SDL_KeyboardEvent& event) {
  WindowRecord* window = window_for(event.windowID);
  const uintptr_t virtual_key = virtual_key_for(event.keysym.sym);
  if (window == nullptr || virtual_key == 0) return;
  const bool released = event.type == SDL_KEYUP;
  const bool alt = (event.keysym.mod & KMOD_ALT) != 0 || virtual_key == VK_MENU;
  const bool system = alt || virtual_key == VK_F10;
  intptr_t lparam = 1;  // repeat count
  if (alt) lparam |= key_alt_flag;
  if (released || event.repeat != 0) lparam |= key_previous_flag;
  if (released) lparam |= key_release_flag;
  uint32_t message;
  if (released) {
    message = system ? WM_SYSKEYUP : WM_KEYUP;
  } else {
    message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
  }
  queue_input(window, message, virtual_key, lparam);
}

void convert_event(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:  // SIGINT, SIGTERM, or the session asking us to end
      if (WindowRecord* window = first_window()) queue_input(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      convert_window_event(event.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      convert_key_event(event.key);
      break;
    default:
      break;  // mouse, text and the rest make no message
  }
}

void pump_events() {
  SDL_PumpEvents();
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    convert_event(event);
  }
}

void stamp(Message* message, uint64_t now_ms) {
  message->time = static_cast<uint32_t>(now_ms);
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  if (message->window != nullptr) {
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(message->window->sdl, &left, &top);
    x += left;
    y += top;
  }
  message->point = {x, y};
}

// The window does not object to the screen saver or the monitor powering
// down.
void allow_screen_saver() { SDL_EnableScreenSaver(); }

}  // namespace

namespace platform {

InstanceHandle get_module_handle() { return &state.module; }

IconHandle load_icon(InstanceHandle, int id) { return id == IDI_WINLOGO ? &state.module : nullptr; }

CursorHandle load_cursor(InstanceHandle, int id) { return id == IDC_ARROW ? &state.module : nullptr; }

uint16_t register_class(const WindowClass& window_class) { return state.classes.add(window_class); }

bool unregister_class(const char* class_name, InstanceHandle) {
  return state.classes.remove_unless_used(class_name, state.windows);
}

int32_t change_display_settings(const DisplayMode* mode, uint32_t flags) {
  if (mode == nullptr) {
    // Leaving fullscreen gives the screen its desktop mode back.
    for (WindowRecord& window : state.windows) {
      if (window.exists && (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(window.sdl, 0);
      }
    }
    state.display_switched = false;
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (flags != CDS_FULLSCREEN || !ensure_video()) return DISP_CHANGE_FAILED;
  const int modes = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < modes; ++i) {
    SDL_DisplayMode offered;
    if (SDL_GetDisplayMode(0, i, &offered) != 0) continue;
    if (mode_offers(offered, *mode)) {
      state.switched_mode = offered;
      state.display_switched = true;
      return DISP_CHANGE_SUCCESSFUL;
    }
  }
  return DISP_CHANGE_BADMODE;
}

int show_cursor(bool show) {
  state.cursor_count += show ? 1 : -1;
  if (state.video_ready) SDL_ShowCursor(state.cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return state.cursor_count;
}

// SDL sizes a window by its client area; the window manager's frame lies
// outside it, so the client rectangle is already the window's size.
bool adjust_window_rect_ex(Rect* rect, uint32_t, bool, uint32_t) { return rect != nullptr; }

WindowHandle create_window_ex(uint32_t, const char* class_name, const char* title, uint32_t style, int x, int y,
                              int width, int height, WindowHandle, const void*, InstanceHandle, const void*) {
  const WindowProc proc = state.classes.find(class_name);
  if (proc == nullptr || !ensure_video()) return nullptr;
  WindowRecord* window = nullptr;
  for (WindowRecord& record : state.windows) {
    if (!record.exists) {
      window = &record;
      break;
    }
  }
  if (window == nullptr) return nullptr;

  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  const bool popup = (style & WS_POPUP) != 0;
  // A fullscreen window has no frame anyway. Asking for borderless as well
  // costs start-up time under a window manager: SDL_ShowWindow then waits
  // out its whole 100 ms for the manager to answer the fullscreen request
  // (about 16 ms without the flag, measured under openbox).
  if (popup && state.display_switched) {
    flags |= SDL_WINDOW_FULLSCREEN;
  } else if (popup) {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  if ((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW) flags |= SDL_WINDOW_RESIZABLE;

  // X fixes a window's visual when the window is made, so the pixel format
  // is settled here: double-buffered RGBA, the deepest depth buffer offered,
  // a compatibility context for immediate mode and client arrays.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_Window* sdl = nullptr;
  for (int depth : depth_sizes) {
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
    sdl = SDL_CreateWindow(title, x, y, width, height, flags);
    if (sdl != nullptr) break;
  }
  if (sdl == nullptr) return nullptr;
  if ((flags & SDL_WINDOW_FULLSCREEN) != 0) SDL_SetWindowDisplayMode(sdl, &state.switched_mode);

  *window = WindowRecord{true, sdl, proc, DeviceRecord{window, 0}};
  // As on the desktop, the new window learns its client size before
  // creation returns.
  window->proc(window, WM_SIZE, SIZE_RESTORED, client_size(window));
  return window;
}

bool destroy_window(WindowHandle window) {
  if (window == nullptr || !window->exists) return false;
  if (state.timer.window == window) state.timer.running = false;
  SDL_DestroyWindow(window->sdl);
  window->exists = false;
  window->sdl = nullptr;
  return true;
}

bool show_window(WindowHandle window, int) {
  if (window == nullptr || !window->exists) return false;
  SDL_ShowWindow(window->sdl);
  return true;
}

bool set_foreground_window(WindowHandle window) {
  if (window == nullptr || !window->exists) return false;
  SDL_RaiseWindow(window->sdl);
  return true;
}

WindowHandle set_focus(WindowHandle window) {
  if (window == nullptr || !window->exists) return nullptr;
  SDL_SetWindowInputFocus(window->sdl);
  return window;
}

uintptr_t set_timer(WindowHandle window, uintptr_t id, uint32_t period_ms, const void*) {
  if (window == nullptr || !window->exists || period_ms == 0) return 0;
  state.timer = WindowTimer{true, window, id, period_ms, SDL_GetTicks64() + period_ms};
  return id;
}

DeviceContext get_dc(WindowHandle window) {
  if (window == nullptr || !window->exists) return nullptr;
  return &window->device;
}

bool release_dc(WindowHandle window, DeviceContext dc) { return window != nullptr && dc == &window->device; }

int choose_pixel_format(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  return dc != nullptr ? choose_window_pixel_format(descriptor) : 0;
}

bool set_pixel_format(DeviceContext dc, int index, const PixelFormatDescriptor*) {
  if (dc == nullptr || index != window_pixel_format) return false;
  dc->pixel_format = index;
  return true;
}

RenderContext create_context(DeviceContext dc) {
  if (dc == nullptr || dc->pixel_format == 0 || !dc->window->exists) return nullptr;
  for (ContextRecord& record : state.contexts) {
    if (record.gl != nullptr) continue;
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    record.gl = SDL_GL_CreateContext(dc->window->sdl);
    if (record.gl == nullptr) return nullptr;
    // Creating makes a context current in SDL; here that is make_current's job.
    SDL_GL_MakeCurrent(previous_window, previous);
    return &record;
  }
  return nullptr;
}

bool make_current(DeviceContext dc, RenderContext context) {
  if (dc == nullptr && context == nullptr) {
    return !state.video_ready || SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
  }
  if (dc == nullptr || context == nullptr || !dc->window->exists) return false;
  if (SDL_GL_MakeCurrent(dc->window->sdl, context->gl) != 0) return false;
  // The loop is unthrottled; a driver that insists on vsync is no error.
  SDL_GL_SetSwapInterval(0);
  return true;
}

void* gl_proc_address(const char* name) { return SDL_GL_GetProcAddress(name); }

bool swap_buffers(DeviceContext dc) {
  if (dc == nullptr || !dc->window->exists) return false;
  SDL_GL_SwapWindow(dc->window->sdl);
  return true;
}

int message_box(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
  SDL_MessageBoxButtonData buttons[2];
  int button_count;
  if ((type & MB_TYPEMASK) == MB_YESNO) {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
    buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
    button_count = 2;
  } else {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
    button_count = 1;
  }
  uint32_t flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
      flags |= SDL_MESSAGEBOX_ERROR;
      break;
    case MB_ICONEXCLAMATION:
      flags |= SDL_MESSAGEBOX_WARNING;
      break;
    default:
      flags |= SDL_MESSAGEBOX_INFORMATION;
      break;
  }
  SDL_Window* parent = owner != nullptr && owner->exists ? owner->sdl : nullptr;
  const SDL_MessageBoxData box = {flags, parent, caption, text, button_count, buttons, nullptr};
  int chosen = 0;
  // No box could be shown, or it was closed without a button: not Yes.
  if (SDL_ShowMessageBox(&box, &chosen) != 0 || chosen < 0) return 0;
  return chosen;
}

bool peek_message(Message* message, WindowHandle, uint32_t, uint32_t, uint32_t) {
  // Posted messages, then input, then a pending quit, then the timer.
  bool found = state.queue.take_posted(message);
  if (!found) {
    if (state.video_ready) pump_events();
    found = state.queue.take(message);
  }
  const uint64_t now_ms = SDL_GetTicks64();
  if (!found) found = take_timer_tick(state.timer, message, now_ms);
  if (found) stamp(message, now_ms);
  return found;
}

bool translate_message(const Message* message) {
  const bool shifted = (SDL_GetModState() & KMOD_SHIFT) != 0;
  return translate_key(state.queue, *message, shifted);
}

intptr_t dispatch_message(const Message* message) {
  WindowRecord* window = message->window;
  if (window == nullptr || !window->exists || window->proc == nullptr) return 0;
  return window->proc(window, message->message, message->wparam, message->lparam);
}

void post_quit_message(int exit_code) { state.queue.post_quit(exit_code); }

intptr_t def_window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (window == nullptr || !window->exists) return 0;
  return default_window_proc(window, window->proc, message, wparam, lparam, allow_screen_saver);
}

int64_t query_performance_frequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

int64_t query_performance_counter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

uint32_t time_get_time() { return SDL_GetTicks(); }

}  // namespace platform
