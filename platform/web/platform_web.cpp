// Platform layer in the browser: the page's canvas is the one window, its
// events become messages, the fullscreen the viewer's click asked for is the
// display mode, the canvas's WebGL context is the GL context, message boxes
// are dialogs of the page, and the clocks read performance.now().
//
// The program's loop never returns to the browser by itself; presenting a
// frame waits (through Asyncify) for the browser's next animation frame,
// which is also when the page's events come in.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstring>

#include "platform/common/hosted_windows.h"
#include "platform/platform.h"

namespace platform {

struct ContextRecord {
  bool exists;
};

}  // namespace platform

extern "C" {
void zarnic_page_install();
void zarnic_page_uninstall();
int zarnic_page_next_event(uint32_t* message, uint32_t* wparam, int32_t* lparam);
int zarnic_page_shift_down();
int zarnic_page_fullscreen();
void zarnic_page_leave_fullscreen();
int zarnic_page_size_canvas(int width, int height);
int zarnic_page_create_context();
void zarnic_page_show_cursor(int shown);
void zarnic_page_keep_screen_on(int on);
}

namespace {

using namespace platform;

// ---------------------------------------------------------------------------
// Constants.

constexpr uint32_t fullscreen_bits = 32;
constexpr int64_t counter_ticks_per_second = 1000000000;

// ---------------------------------------------------------------------------
// State.

struct WebState {
  ContextRecord context;
  bool context_made;
  bool context_current;
  bool display_switched;
};

WebState state = {};

// ---------------------------------------------------------------------------
// Page calls that wait for the browser.

// Hands the frame just drawn to the browser and waits for its next
// animation frame. The browser holds animation frames back while its GPU
// side is behind, which keeps a slow renderer (SwiftShader) from piling up
// frames; a hidden tab gets none at all, so there the wait ends after a
// tenth of a second and the loop sees the close request. The page's frame
// counters are for tests and measurements.
// clang-format off
EM_ASYNC_JS(void, wait_for_next_animation_frame, (), {
  if (window.zarnic_first_frame_ms === null || window.zarnic_first_frame_ms === undefined) {
    window.zarnic_first_frame_ms = performance.now();
  }
  window.zarnic_frames = (window.zarnic_frames || 0) + 1;
  await new Promise(function(resolve) {
    if (document.hidden) {
      setTimeout(resolve, 100);
      return;
    }
    var done = function() {
      document.removeEventListener('visibilitychange', done);
      resolve();
    };
    document.addEventListener('visibilitychange', done);
    requestAnimationFrame(done);
  });
});
// clang-format on

// A modal dialog of the page: the caption, the text and the buttons (1: OK;
// 4: Yes and No), over everything else. Returns the chosen button's value.
// clang-format off
EM_ASYNC_JS(int, show_page_dialog, (const char* text, const char* caption, int buttons), {
  var overlay = document.createElement('div');
  overlay.id = 'zarnic-dialog';
  overlay.setAttribute('role', 'dialog');
  overlay.style.cssText = 'position:fixed;inset:0;display:flex;align-items:center;justify-content:center;' +
                          'background:rgba(0,0,0,0.6);z-index:10;font:14px sans-serif';
  var box = document.createElement('div');
  box.style.cssText = 'background:#d4d0c8;color:#000;min-width:320px;max-width:600px;border:2px outset #fff';
  var title = document.createElement('div');
  title.className = 'zarnic-dialog-caption';
  title.textContent = UTF8ToString(caption);
  title.style.cssText = 'background:#0a246a;color:#fff;padding:3px 6px;font-weight:bold';
  var body = document.createElement('div');
  body.className = 'zarnic-dialog-text';
  body.textContent = UTF8ToString(text);
  body.style.cssText = 'padding:16px;white-space:pre-line';
  var row = document.createElement('div');
  row.style.cssText = 'padding:0 16px 12px;text-align:center';
  box.appendChild(title);
  box.appendChild(body);
  box.appendChild(row);
  overlay.appendChild(box);
  var choices = buttons == 4 ? [ [ 'Yes', 6 ], [ 'No', 7 ] ] : [[ 'OK', 1 ]];
  var answer = await new Promise(function(resolve) {
    choices.forEach(function(choice) {
      var button = document.createElement('button');
      button.textContent = choice[0];
      button.dataset.answer = choice[1];
      button.style.cssText = 'min-width:75px;margin:0 6px';
      button.addEventListener(
          'click', function() { resolve(choice[1]); });
      row.appendChild(button);
    });
    document.body.appendChild(overlay);
    row.firstChild.focus();
  });
  overlay.remove();
  return answer;
});
// clang-format on

}  // namespace

namespace platform {

// The browser cannot change the screen's mode; the page entered fullscreen
// on the viewer's click, and the canvas, drawn at the requested size, is
// scaled to fit it. So the switch succeeds when the page is fullscreen and
// the request is one the canvas can draw (4-byte pixels).
int32_t change_display_settings(const DisplayMode* mode, uint32_t flags) {
  if (mode == nullptr) {
    zarnic_page_leave_fullscreen();
    state.display_switched = false;
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (flags != CDS_FULLSCREEN) return DISP_CHANGE_FAILED;
  const uint32_t needed = DM_PELSWIDTH | DM_PELSHEIGHT;
  if ((mode->fields & needed) != needed || mode->pels_width == 0 || mode->pels_height == 0 ||
      ((mode->fields & DM_BITSPERPEL) != 0 && mode->bits_per_pel != fullscreen_bits)) {
    return DISP_CHANGE_BADMODE;
  }
  if (zarnic_page_fullscreen() == 0) return DISP_CHANGE_BADMODE;
  state.display_switched = true;
  return DISP_CHANGE_SUCCESSFUL;
}

// The canvas has no frame: the client rectangle is the window's size.
bool adjust_window_rect_ex(Rect* rect, uint32_t, bool, uint32_t) { return rect != nullptr; }

WindowHandle create_window_ex(uint32_t, const char* class_name, const char*, uint32_t, int, int, int width, int height,
                              WindowHandle, const void*, InstanceHandle, const void*) {
  // The page has one canvas, so there is one window at a time.
  const WindowProc proc = hosted.classes.find(class_name);
  if (proc == nullptr || first_window() != nullptr || width <= 0 || height <= 0) return nullptr;
  if (zarnic_page_size_canvas(width, height) == 0) return nullptr;
  // The canvas's WebGL context is made with the window: the window learns
  // its size below and sets its viewport before any context is current,
  // which a desktop GL ignores but WebGL's emulation cannot do without.
  if (!state.context_made) {
    if (zarnic_page_create_context() == 0) return nullptr;
    state.context_made = true;
  }
  WindowRecord* window = free_window();
  *window = WindowRecord{true, proc, DeviceRecord{window, 0}, nullptr};
  hosted.queue.clear();
  zarnic_page_install();
  // As on the desktop, the new window learns its client size before
  // creation returns.
  window->proc(window, WM_SIZE, SIZE_RESTORED,
               make_lparam(static_cast<uint16_t>(width), static_cast<uint16_t>(height)));
  return window;
}

bool destroy_window(WindowHandle window) {
  if (!window_exists(window)) return false;
  zarnic_page_uninstall();
  zarnic_page_keep_screen_on(0);
  forget_window(window);
  return true;
}

bool show_window(WindowHandle window, int) { return window_exists(window); }

// The page has the focus once the viewer has clicked it: the window learns
// that it is active, as from the desktop when it takes the focus.
bool set_foreground_window(WindowHandle window) {
  if (!window_exists(window)) return false;
  queue_input(window, WM_ACTIVATE, WA_ACTIVE, 0);
  ask_about_screen_saver(window);
  return true;
}

WindowHandle set_focus(WindowHandle window) { return window_exists(window) ? window : nullptr; }

// A canvas has one WebGL context for its life, made with the window; it is
// handed out here, and again after a release.
RenderContext create_context(DeviceContext dc) {
  if (dc == nullptr || dc->pixel_format == 0 || !dc->window->exists || state.context.exists) return nullptr;
  state.context.exists = true;
  return &state.context;
}

bool make_current(DeviceContext dc, RenderContext context) {
  if (dc == nullptr && context == nullptr) {
    state.context_current = false;
    state.context.exists = false;
    return true;
  }
  if (dc == nullptr || context == nullptr || !dc->window->exists || !context->exists) return false;
  state.context_current = true;
  return true;
}

// WebGL offers none of the desktop's extension entry points the show asks
// for (the compiled-vertex-array lock); callers skip what is not there.
void* gl_proc_address(const char*) { return nullptr; }

bool swap_buffers(DeviceContext dc) {
  if (dc == nullptr || !dc->window->exists) return false;
  wait_for_next_animation_frame();
  return true;
}

int message_box(WindowHandle, const char* text, const char* caption, uint32_t type) {
  const int buttons = (type & MB_TYPEMASK) == MB_YESNO ? 4 : 1;
  return show_page_dialog(text != nullptr ? text : "", caption != nullptr ? caption : "", buttons);
}

// performance.now() in nanoseconds: it moves in steps of 5 to 100 µs,
// depending on whether the page is cross-origin isolated.
int64_t query_performance_frequency() { return counter_ticks_per_second; }

int64_t query_performance_counter() { return static_cast<int64_t>(std::llround(emscripten_get_now() * 1e6)); }

uint64_t backend_now_ms() { return static_cast<uint64_t>(emscripten_get_now()); }

void backend_pump_events() {
  WindowRecord* window = first_window();
  uint32_t message = 0;
  uint32_t wparam = 0;
  int32_t lparam = 0;
  while (zarnic_page_next_event(&message, &wparam, &lparam) != 0) {
    if (window != nullptr) queue_input(window, message, wparam, lparam);
  }
}

// The page reports no pointer position with its events.
Point backend_cursor_point(const WindowRecord*) { return {0, 0}; }

void backend_show_cursor(bool shown) { zarnic_page_show_cursor(shown ? 1 : 0); }

bool backend_shift_down() { return zarnic_page_shift_down() != 0; }

void backend_keep_screen_on(bool on) { zarnic_page_keep_screen_on(on ? 1 : 0); }

}  // namespace platform
