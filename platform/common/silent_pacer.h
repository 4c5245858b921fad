// The silent output's pacing, shared by every backend that falls back to it:
// a thread that takes buffers from the fill function at the rate a device
// would, on the backend's own clock, and drops them. Each buffer is stamped
// with the clock time it would be heard at, counted from the start in whole
// frames, so the position it gives never drifts from the clock however late
// the thread wakes.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/audio_output.h"

namespace platform {

class SilentPacer {
 public:
  static constexpr int buffer_frames = 1024;

  // Starts taking frames at `rate` from `fill`, stamped on `clock`. False
  // when it already runs or the thread cannot start.
  bool start(int rate, AudioFill fill, int64_t (*clock)());
  // Returns once the thread has stopped and no fill is running.
  void stop();
  bool running() const { return thread.joinable(); }

 private:
  void run();

  std::thread thread;
  std::atomic<bool> stopping{false};
  int rate = 0;
  AudioFill fill = nullptr;
  int64_t (*clock)() = nullptr;
  int16_t buffer[buffer_frames * audio_output_channels] = {};
};

}  // namespace platform
