// Test controls of the scripted platform backend.
//
// The scripted backend stands in for the window system: the test feeds the
// messages the loop will take (with idle markers for "the queue is empty
// now"), makes any single step of window creation or release fail, answers
// message boxes, scripts the performance counter, and afterwards reads the
// calls and message boxes back in the order they happened. Its GL contexts
// are real offscreen Mesa contexts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/demo_screen.h"
#include "platform/platform.h"

namespace platform::script {

// Creates an offscreen Mesa GL context with a width x height RGBA colour
// buffer and a 32-bit-class depth buffer, and makes it current. For tests
// and tools that need real GL without a window. Returns false on failure.
bool make_offscreen_gl(int width = demo_screen_width, int height = demo_screen_height);

// The colour buffer of the current offscreen context (RGBA, bottom row
// first), or null when none is current.
const uint8_t* offscreen_pixels();

// Steps of window creation and release that a test can make fail.
enum class Step {
  register_class,
  change_display,
  create_window,
  get_dc,
  choose_pixel_format,
  set_pixel_format,
  create_context,
  make_current,    // attaching a context
  detach_context,  // make_current(null, null)
  release_dc,
  destroy_window,
  unregister_class,
};

struct BoxRecord {
  WindowHandle owner;
  std::string text;
  std::string caption;
  uint32_t type;
};

struct WindowInfo {
  bool exists;
  std::string class_name;
  std::string title;
  uint32_t style;
  uint32_t ex_style;
  int x, y, width, height;          // outer rectangle as created
  int client_width, client_height;  // what the window reports in WM_SIZE
  bool shown;
};

// Back to a fresh machine: nothing registered or created, no failures, empty
// queues and records, desktop display mode, cursor counter 0, counter at
// 1e9 counts per second advancing 30 counts per read, clock at 0 ms.
void reset();

// Makes the step fail every time it is reached until the next reset.
void fail(Step step);

// Answers for the next message boxes, in order. Without a queued answer an
// MB_OK box answers IDOK and any other box 0.
void answer_message_boxes(std::initializer_list<int> answers);

// Appends a message to the input script; it is taken by peek_message and
// addressed to the current window.
void feed(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// Appends an idle marker: the peek that meets it finds the queue empty.
void feed_idle(int count = 1);
// When the script has run out, peek keeps finding the queue empty; after
// this many such peeks in a row it posts a quit with exhausted_exit_code so
// that a loop that never ends fails its test instead of hanging.
constexpr int exhausted_idle_limit = 10000;
constexpr int exhausted_exit_code = 0x5C5C;

// Performance counter and millisecond clock.
void set_counter_frequency(int64_t frequency);
void queue_counter_reads(std::initializer_list<int64_t> values);
void set_counter_step(int64_t step);  // advance per read once the queue is empty
void set_time_ms(uint32_t ms);

// Records, in the order things happened.
const std::vector<std::string>& calls();
const std::vector<BoxRecord>& message_boxes();
const std::vector<uint32_t>& default_handled();  // messages given to def_window_proc
void log_call(const std::string& call);          // for link-time stand-ins of other layers

// Current state.
WindowHandle current_window();
WindowInfo window_info();
bool class_registered();
WindowClass registered_class();
bool display_switched();
DisplayMode last_display_mode();
PixelFormatDescriptor last_pixel_format();
int cursor_count();
bool timer_running();

}  // namespace platform::script
