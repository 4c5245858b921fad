// Measures an interval with the high-resolution counter, in 0.1 ms units.
#pragma once

#include <cstdint>

class FrameTimer {
 public:
  FrameTimer();
  ~FrameTimer() {}
  void begin();
  void end();
  double elapsed();

  int64_t frequency = 0;
  int64_t start_count = 0;
  int64_t stop_count = 0;
  double frequency_value = 0.0;
  double elapsed_ticks = 0.0;
  bool has_counter = false;
  bool elapsed_cached = false;
  double elapsed_value = 0.0;
};
