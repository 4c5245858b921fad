// Win32's rules that a backend without Win32 keeps itself, shared by the
// SDL and browser backends: the one window timer and how its ticks fold,
// the pixel format a window offers, and what the default window procedure
// does with the messages the shell leaves to it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

// The window timer; at most one runs.
struct WindowTimer {
  bool running;
  WindowHandle window;
  uintptr_t id;
  uint32_t period_ms;
  uint64_t due_ms;
};

// At most one WM_TIMER is ever waiting: ticks missed while the loop was busy
// fold into the one taken now. True, with the tick in *message, when one is
// due at now_ms.
bool take_timer_tick(WindowTimer& timer, Message* message, uint64_t now_ms);

// The single pixel format a window offers (the visual it was made with),
// for a request it can meet: drawn to a window, with GL, RGBA. 0 for any
// other request.
constexpr int window_pixel_format = 1;
int choose_window_pixel_format(const PixelFormatDescriptor* descriptor);

// The default window procedure for the messages the shell passes on: Alt+F4
// becomes SC_CLOSE, SC_CLOSE becomes WM_CLOSE, and a screen saver or
// monitor power-down the window does not object to is allowed through
// allow_screen_saver. Everything else is ignored. proc is the window's own
// procedure.
intptr_t default_window_proc(WindowHandle window, WindowProc proc, uint32_t message, uintptr_t wparam, intptr_t lparam,
                             void (*allow_screen_saver)());

}  // namespace platform
