// The platform contract test's fixture for the scripted backend: a fresh
// stand-in machine with a 1024x768 desktop for each case, boxes answered
// from the script.
#include "tests/platform/platform_fixture.h"

#include "platform/script/platform_script.h"

namespace platform_contract {

void begin_case() { platform::script::reset(); }

bool screen_mode(int* width, int* height) {
  *width = 1024;
  *height = 768;
  return true;
}

bool timer_ticks_by_itself() { return false; }

bool offers_lock_arrays() { return true; }

bool answer_next_box(const char*, int button) {
  platform::script::answer_message_boxes({button});
  return true;
}

bool box_done(std::string* text_shown) {
  *text_shown = platform::script::message_boxes().back().text;
  return true;
}

}  // namespace platform_contract
