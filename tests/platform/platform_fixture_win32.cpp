// The platform contract test's fixture for the Win32 backend under wine: the
// virtual screen's size, a real timer, and boxes answered by a thread that
// waits for them to show.
#include "tests/platform/platform_fixture.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/platform/win32_probe.h"

namespace platform_contract {
namespace {

std::thread answerer;
std::atomic<bool> answered{false};
std::string shown;  // written by the answerer before it sets answered

}  // namespace

void begin_case() {}

bool screen_mode(int* width, int* height) {
  *width = win32_probe::screen_width();
  *height = win32_probe::screen_height();
  return true;
}

bool timer_ticks_by_itself() { return true; }

bool offers_lock_arrays() { return true; }

bool answer_next_box(const char* caption, int button) {
  answered = false;
  shown.clear();
  answerer = std::thread([caption, button] {
    for (int i = 0; i < 1500 && !answered; ++i) {
      if (win32_probe::answer_box(caption, button, &shown)) answered = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  return true;
}

bool box_done(std::string* text_shown) {
  answered = true;
  if (answerer.joinable()) answerer.join();
  *text_shown = shown;
  return true;
}

}  // namespace platform_contract
