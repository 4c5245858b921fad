#include "tools/capture/frame_step.h"

#include <SDL2/SDL.h>

#include "app/frame_pace.h"
#include "app/frame_timer.h"
#include "platform/script/platform_script.h"

namespace capture {

float next_frame_step(const Options& options) {
  switch (options.step_mode) {
    case StepMode::designed:
      return frame_pace_step();
    case StepMode::measured:
      return measured_frame_step();
    case StepMode::fixed:
      break;
  }
  return options.frame_step;
}

float measured_frame_step() {
  // The capture runs on the offscreen platform layer, whose counter is
  // scripted; hand it two reads of the counter the live demo's layer reads
  // (SDL's), so that FrameTimer turns them into a step as it does live.
  static bool counter_set = false;
  if (!counter_set) {
    platform::script::set_counter_frequency(static_cast<int64_t>(SDL_GetPerformanceFrequency()));
    counter_set = true;
  }
  const int64_t first = static_cast<int64_t>(SDL_GetPerformanceCounter());
  const int64_t second = static_cast<int64_t>(SDL_GetPerformanceCounter());
  platform::script::queue_counter_reads({first, second});
  static FrameTimer timer;
  timer.begin();
  timer.end();
  return static_cast<float>(timer.elapsed());
}

}  // namespace capture
