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

}  // namespace win32_probe
