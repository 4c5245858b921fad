// What the platform tests share about their test window: the messages its
// procedure received, the class it is registered with, and draining the
// queue as the demo's loop does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "tests/support/shell_pixel_format.h"

struct Received {
  platform::WindowHandle window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};
// Appended to by the test's window procedure, in the order it was called.
inline std::vector<Received> received;

// Records every message; like the shell, keeps WM_CLOSE from the default
// handling, which would destroy the window.
inline intptr_t recording_proc(platform::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  received.push_back({window, message, wparam, lparam});
  if (message == platform::WM_CLOSE) return 0;
  return platform::def_window_proc(window, message, wparam, lparam);
}

inline int count_received(uint32_t message) {
  int count = 0;
  for (const Received& r : received) count += r.message == message ? 1 : 0;
  return count;
}

// The class the shell registers, under the test's name and procedure.
inline platform::WindowClass test_window_class(const char* name, platform::WindowProc proc) {
  platform::WindowClass window_class = {};
  window_class.style = platform::CS_HREDRAW | platform::CS_VREDRAW | platform::CS_OWNDC;
  window_class.window_proc = proc;
  window_class.instance = platform::get_module_handle();
  window_class.icon = platform::load_icon(nullptr, platform::IDI_WINLOGO);
  window_class.cursor = platform::load_cursor(nullptr, platform::IDC_ARROW);
  window_class.class_name = name;
  return window_class;
}

// The test's window and its class, made and released as the shell does.
struct TestWindow {
  const char* class_name;
  platform::WindowHandle handle = nullptr;
  bool class_registered = false;

  bool register_with(platform::WindowProc proc) {
    class_registered = platform::register_class(test_window_class(class_name, proc)) != 0;
    return class_registered;
  }
  // Destroys the window and unregisters the class, each of which must work,
  // with the messages left between dispatched.
  void release();
};

// Dispatches everything waiting, as the demo's loop would.
inline void drain_messages() {
  platform::Message message{};
  while (platform::peek_message(&message, nullptr, 0, 0, platform::PM_REMOVE)) {
    if (message.message != platform::WM_QUIT) platform::dispatch_message(&message);
  }
}

inline void TestWindow::release() {
  if (handle != nullptr) {
    EXPECT_TRUE(platform::destroy_window(handle));
  }
  handle = nullptr;
  drain_messages();
  if (class_registered) {
    EXPECT_TRUE(platform::unregister_class(class_name, platform::get_module_handle()));
  }
  class_registered = false;
}
