// The half of platform/platform.h that a backend without Win32 (SDL, the
// browser) answers from its own records rather than from its system: the
// module, the window classes, the window and device records, the cursor
// count, the one window timer and the message queue with its retrieval
// order, and the default window procedure. The backend's own file keeps the
// other half (windows made, shown and destroyed, display modes, GL
// contexts, message boxes, the counter) and supplies the backend_* calls
// below, which this half uses for what only the system knows.
//
// Built into each such backend's library from its source list, so the calls
// each backend supplies resolve within it.
#pragma once

#include <cstdint>

#include "platform/common/message_queue.h"
#include "platform/common/window_classes.h"
#include "platform/common/window_rules.h"
#include "platform/platform.h"

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
  WindowProc proc;
  DeviceRecord device;
  // The system's own window (SDL: its SDL_Window; the page: none).
  void* native;
};

struct HostedWindows {
  static constexpr int max_windows = 4;

  ModuleRecord module;
  WindowClasses classes;
  WindowRecord windows[max_windows];
  int cursor_count;
  WindowTimer timer;
  MessageQueue queue;
};

// The one instance, which every call of both halves works on.
extern HostedWindows hosted;

// The first window that exists, null when none does.
WindowRecord* first_window();
// A place for a new window, null when every one is taken.
WindowRecord* free_window();
// True for a window that has been made and not destroyed.
bool window_exists(WindowHandle window);
// Queues an input message for window, as the system's events arrive.
void queue_input(WindowRecord* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// The record of a destroyed window: its timer stops and the place is free.
void forget_window(WindowRecord* window);
// The desktop asks the focused window before it starts the screen saver or
// powers the monitor down; the answer comes back through def_window_proc.
void ask_about_screen_saver(WindowRecord* window);

// ---------------------------------------------------------------------------
// What each backend supplies.

// Milliseconds on the clock the timer and message times run on.
uint64_t backend_now_ms();
// Turns the system's pending events into input messages (queue_input).
void backend_pump_events();
// Where the cursor is, in screen coordinates, for a message to window.
Point backend_cursor_point(const WindowRecord* window);
// Shows or hides the cursor.
void backend_show_cursor(bool shown);
// Whether Shift is held, for the characters translate_message makes.
bool backend_shift_down();
// Keeps the screen saver and the monitor's power-down off, or lets them be.
void backend_keep_screen_on(bool on);

}  // namespace platform
