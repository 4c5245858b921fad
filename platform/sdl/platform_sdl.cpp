// Platform layer on SDL2: windows, events turned into messages, display
// modes, GL contexts, message boxes and clocks.
#include <SDL2/SDL.h>

#include "platform/common/hosted_windows.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_modes.h"

namespace platform {

struct ContextRecord {
  SDL_GLContext gl;
};

}  // namespace platform

namespace {

using namespace platform;

constexpr int max_contexts = 4;
// Depth buffers to ask for, closest to 32 bits first.
constexpr int depth_sizes[] = {32, 24, 16};
constexpr uintptr_t minimised_flag = uintptr_t{1} << 16;
constexpr intptr_t key_alt_flag = intptr_t{1} << 29;
constexpr intptr_t key_previous_flag = intptr_t{1} << 30;
constexpr intptr_t key_release_flag = intptr_t{1} << 31;
constexpr uintptr_t VK_F10 = VK_F1 + 9;

struct SdlState {
  bool video_ready;
  ContextRecord contexts[max_contexts];
  // The mode a fullscreen window will take; set by a successful switch.
  bool display_switched;
  SDL_DisplayMode switched_mode;
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

SDL_Window* sdl_window(const WindowRecord* window) { return static_cast<SDL_Window*>(window->native); }

WindowRecord* window_for(uint32_t sdl_id) {
  SDL_Window* sdl = SDL_GetWindowFromID(sdl_id);
  for (WindowRecord& record : hosted.windows) {
    if (record.exists && record.native == sdl) return &record;
  }
  return nullptr;
}

uintptr_t minimised(WindowRecord* window) {
  return (SDL_GetWindowFlags(sdl_window(window)) & SDL_WINDOW_MINIMIZED) != 0 ? minimised_flag : 0;
}

intptr_t client_size(WindowRecord* window) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(sdl_window(window), &width, &height);
  return make_lparam(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
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

}  // namespace

namespace platform {

int32_t change_display_settings(const DisplayMode* mode, uint32_t flags) {
  if (mode == nullptr) {
    // Leaving fullscreen gives the screen its desktop mode back.
    for (WindowRecord& window : hosted.windows) {
      if (window.exists && (SDL_GetWindowFlags(sdl_window(&window)) & SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(sdl_window(&window), 0);
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

// SDL sizes a window by its client area; the window manager's frame lies
// outside it, so the client rectangle is already the window's size.
bool adjust_window_rect_ex(Rect* rect, uint32_t, bool, uint32_t) { return rect != nullptr; }

WindowHandle create_window_ex(uint32_t, const char* class_name, const char* title, uint32_t style, int x, int y,
                              int width, int height, WindowHandle, const void*, InstanceHandle, const void*) {
  const WindowProc proc = hosted.classes.find(class_name);
  if (proc == nullptr || !ensure_video()) return nullptr;
  WindowRecord* window = free_window();
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

  *window = WindowRecord{true, proc, DeviceRecord{window, 0}, sdl};
  // As on the desktop, the new window learns its client size before
  // creation returns.
  window->proc(window, WM_SIZE, SIZE_RESTORED, client_size(window));
  return window;
}

bool destroy_window(WindowHandle window) {
  if (!window_exists(window)) return false;
  SDL_DestroyWindow(sdl_window(window));
  forget_window(window);
  return true;
}

bool show_window(WindowHandle window, int) {
  if (!window_exists(window)) return false;
  SDL_ShowWindow(sdl_window(window));
  return true;
}

bool set_foreground_window(WindowHandle window) {
  if (!window_exists(window)) return false;
  SDL_RaiseWindow(sdl_window(window));
  return true;
}

WindowHandle set_focus(WindowHandle window) {
  if (!window_exists(window)) return nullptr;
  SDL_SetWindowInputFocus(sdl_window(window));
  return window;
}

RenderContext create_context(DeviceContext dc) {
  if (dc == nullptr || dc->pixel_format == 0 || !dc->window->exists) return nullptr;
  for (ContextRecord& record : state.contexts) {
    if (record.gl != nullptr) continue;
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    record.gl = SDL_GL_CreateContext(sdl_window(dc->window));
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
  if (SDL_GL_MakeCurrent(sdl_window(dc->window), context->gl) != 0) return false;
  // The loop is unthrottled; a driver that insists on vsync is no error.
  SDL_GL_SetSwapInterval(0);
  return true;
}

void* gl_proc_address(const char* name) { return SDL_GL_GetProcAddress(name); }

bool swap_buffers(DeviceContext dc) {
  if (dc == nullptr || !dc->window->exists) return false;
  SDL_GL_SwapWindow(sdl_window(dc->window));
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
  SDL_Window* parent = owner != nullptr && owner->exists ? sdl_window(owner) : nullptr;
  const SDL_MessageBoxData box = {flags, parent, caption, text, button_count, buttons, nullptr};
  int chosen = 0;
  // No box could be shown, or it was closed without a button: not Yes.
  if (SDL_ShowMessageBox(&box, &chosen) != 0 || chosen < 0) return 0;
  return chosen;
}

int64_t query_performance_frequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

int64_t query_performance_counter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

uint64_t backend_now_ms() { return SDL_GetTicks64(); }

void backend_pump_events() {
  if (state.video_ready) pump_events();
}

Point backend_cursor_point(const WindowRecord* window) {
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  if (window != nullptr) {
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(sdl_window(window), &left, &top);
    x += left;
    y += top;
  }
  return {x, y};
}

void backend_show_cursor(bool shown) {
  if (state.video_ready) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

bool backend_shift_down() { return (SDL_GetModState() & KMOD_SHIFT) != 0; }

void backend_keep_screen_on(bool on) {
  if (on) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
}

}  // namespace platform
