#include "app/frame_timer.h"

#include "platform/platform.h"

namespace {

// A counter this slow cannot measure anything the animation needs.
constexpr double min_counter_frequency = 100.0;

// Elapsed time is reported in tenths of a millisecond.
constexpr double elapsed_units_per_second = 10000.0;

}  // namespace

FrameTimer::FrameTimer() {
  has_counter = false;
  frequency = platform::query_performance_frequency();
  frequency_value = static_cast<double>(frequency);
  if (frequency_value > min_counter_frequency) has_counter = true;
  elapsed_value = 0.0;
  elapsed_cached = false;
}

void FrameTimer::begin() {
  elapsed_value = 0.0;
  elapsed_cached = false;
  start_count = platform::query_performance_counter();
}

void FrameTimer::end() {
  stop_count = platform::query_performance_counter();
  elapsed_ticks = static_cast<double>(stop_count - start_count);
}

double FrameTimer::elapsed() {
  if (!has_counter) return 0.0;
  if (!elapsed_cached) {
    elapsed_value = elapsed_ticks * elapsed_units_per_second / frequency_value;
    elapsed_cached = true;
  }
  return elapsed_value;
}
