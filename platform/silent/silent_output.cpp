// The real-time pacing thread behind the silent output.
#include "platform/silent/silent_output.h"

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/common/audio_fill_loop.h"

namespace platform {

namespace {

// Wake-up period: short enough that the frames handed over never fall far
// behind the clock, long enough to cost nothing.
constexpr std::chrono::milliseconds wake_period{10};
// Frames are handed over this long before they are due, as a device has a
// buffer queued ahead, so that the position between two wake-ups moves on
// smoothly instead of waiting for the next fill.
constexpr int64_t lead_ns = 40'000'000;

struct Pacer {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  bool running = false;
};

Pacer pacer;

void run(int rate, AudioFill fill, int64_t start_ns) {
  int64_t filled = 0;
  std::unique_lock<std::mutex> lock(pacer.mutex);
  while (!pacer.stop) {
    lock.unlock();
    fill_frames_due(fill, nullptr, rate, start_ns, monotonic_clock_ns() + lead_ns, &filled);
    lock.lock();
    pacer.wake.wait_for(lock, wake_period, [] { return pacer.stop; });
  }
}

}  // namespace

int64_t monotonic_clock_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool silent_output_start(int rate, AudioFill fill) { return silent_output_continue(rate, fill, monotonic_clock_ns()); }

bool silent_output_continue(int rate, AudioFill fill, int64_t first_frame_ns) {
  if (pacer.running || rate <= 0 || !fill) return false;
  // A program that ends without closing the output stops the thread before
  // the thread object is destroyed (which would abort a running thread).
  static const bool stop_at_exit = std::atexit(silent_output_stop) == 0;
  (void)stop_at_exit;
  pacer.stop = false;
  pacer.running = true;
  pacer.thread = std::thread(run, rate, fill, first_frame_ns);
  return true;
}

void silent_output_stop() {
  if (!pacer.running) return;
  {
    std::lock_guard<std::mutex> lock(pacer.mutex);
    pacer.stop = true;
  }
  pacer.wake.notify_all();
  pacer.thread.join();
  pacer.running = false;
}

}  // namespace platform
