// Win32 calls the backend test makes around the layer, to feed it and to
// look at the result, kept apart so the test itself sees only the layer's
// names (<windows.h> would rewrite them as macros).
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace win32_probe {

bool post_message(platform::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);
bool client_size(platform::WindowHandle window, int* width, int* height);
int screen_width();
int screen_height();
// When a top-level window captioned caption exists: reads the message box's
// text into text, answers it with button and returns true.
bool answer_box(const char* caption, int button, std::string* text);
// The swap interval of the current context's window (wglGetSwapIntervalEXT),
// or -1 where the driver has no such call.
int current_swap_interval();
// Makes context current with WGL directly, sets the swap interval to
// interval, and detaches it again; false where any step fails.
bool set_swap_interval_directly(platform::DeviceContext dc, platform::RenderContext context, int interval);

}  // namespace win32_probe
