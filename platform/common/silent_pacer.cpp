#include "platform/common/silent_pacer.h"

#include <chrono>

namespace platform {

namespace {
constexpr int64_t ns_per_second = 1000000000;
}  // namespace

bool SilentPacer::start(int rate_hz, AudioFill fill_function, int64_t (*clock_function)()) {
  if (thread.joinable() || rate_hz <= 0 || fill_function == nullptr || clock_function == nullptr) return false;
  rate = rate_hz;
  fill = fill_function;
  clock = clock_function;
  stopping.store(false);
  thread = std::thread(&SilentPacer::run, this);
  return thread.joinable();
}

void SilentPacer::stop() {
  if (!thread.joinable()) return;
  stopping.store(true);
  thread.join();
}

void SilentPacer::run() {
  // Like a device, the pacer asks for a buffer one buffer ahead of hearing
  // it: buffer n is taken at start + (n - 1) periods and heard from
  // start + n periods on.
  const int64_t start = clock();
  int64_t frames_taken = 0;
  while (!stopping.load()) {
    const int64_t heard_at = start + frames_taken * ns_per_second / rate;
    fill(buffer, buffer_frames, heard_at);
    frames_taken += buffer_frames;
    const int64_t take_next_at = start + (frames_taken - buffer_frames) * ns_per_second / rate;
    // Short sleeps, so stop() returns promptly.
    for (int64_t now = clock(); now < take_next_at && !stopping.load(); now = clock()) {
      const int64_t wait = take_next_at - now;
      std::this_thread::sleep_for(std::chrono::nanoseconds(wait < 5000000 ? wait : 5000000));
    }
  }
}

}  // namespace platform
