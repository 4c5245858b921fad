// The demo's loop around an empty frame: the shell's stand-ins for the Scene
// and the music (tests/support/shell_stand_ins), on the real SDL window. The
// main loop's probe points around peek_message, draw_frame and swap_buffers
// (probe/probe_points.h) time each part of a pass; after run_seconds the
// probe asks the loop to end and prints the costs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "app/app_main.h"
#include "app/gl_window.h"
#include "bench/app/probe_clock.h"
#include "platform/platform.h"
#include "probe/probe_points.h"

namespace {

constexpr double run_seconds = 5.0;
constexpr int kept_steps = 100000;

struct Costs {
  int64_t first_pass_ns = 0;
  int64_t last_pass_ns = 0;
  int64_t passes = 0;
  int64_t messages = 0;
  int64_t pass_start_ns = 0;
  int64_t draw_start_ns = 0;
  int64_t swap_start_ns = 0;
  int64_t frames = 0;
  int64_t peek_ns = 0;
  int64_t draw_ns = 0;
  int64_t swap_ns = 0;
  double frame_step_sum = 0.0;
  float frame_step_max = 0.0f;
  float steps[kept_steps] = {};
  int steps_kept = 0;
  bool quit_posted = false;
};

Costs costs;

}  // namespace

// Each pass's peek, and the draw and the present of each frame, timed from
// their begin to their end.
void probe::at(probe::Point point, const void* subject) {
  switch (point) {
    case probe::Point::peek_begin:
      costs.pass_start_ns = now_ns();
      if (costs.passes == 0) costs.first_pass_ns = costs.pass_start_ns;
      costs.last_pass_ns = costs.pass_start_ns;
      ++costs.passes;
      break;
    case probe::Point::peek_end:
      costs.peek_ns += now_ns() - costs.pass_start_ns;
      if (subject != nullptr) ++costs.messages;
      if (!costs.quit_posted && costs.pass_start_ns - costs.first_pass_ns > run_seconds * 1e9) {
        costs.quit_posted = true;
        platform::post_quit_message(0);
      }
      break;
    case probe::Point::draw_frame_begin:
      costs.frame_step_sum += gl_window.frame_step;
      if (gl_window.frame_step > costs.frame_step_max) costs.frame_step_max = gl_window.frame_step;
      if (costs.steps_kept < kept_steps) costs.steps[costs.steps_kept++] = gl_window.frame_step;
      costs.draw_start_ns = now_ns();
      break;
    case probe::Point::draw_frame_end:
      costs.draw_ns += now_ns() - costs.draw_start_ns;
      break;
    case probe::Point::swap_begin:
      costs.swap_start_ns = now_ns();
      break;
    case probe::Point::swap_end:
      costs.swap_ns += now_ns() - costs.swap_start_ns;
      ++costs.frames;
      break;
    default:
      break;
  }
}

int main() {
  const int code = app_main(nullptr, nullptr, nullptr, platform::SW_SHOWDEFAULT);
  // Cost of one clock read, to judge the probes' own share.
  const int64_t clock_start = now_ns();
  for (int i = 0; i < 1000; ++i) now_ns();
  const double clock_ns = static_cast<double>(now_ns() - clock_start) / 1000.0;

  const double passes = static_cast<double>(costs.passes);
  const double total_ns = static_cast<double>(costs.last_pass_ns - costs.first_pass_ns);
  const double frames = static_cast<double>(costs.frames);
  const double own_ns = total_ns - static_cast<double>(costs.draw_ns + costs.swap_ns);
  std::printf("passes %lld (messages %lld, frames presented %lld) in %.2f s\n", static_cast<long long>(costs.passes),
              static_cast<long long>(costs.messages), static_cast<long long>(costs.frames), total_ns / 1e9);
  std::printf("per pass: total %.0f ns, loop's own %.0f ns (peek %.0f ns)\n", total_ns / passes, own_ns / passes,
              static_cast<double>(costs.peek_ns) / passes);
  std::printf("per frame: draw_frame (clear) %.0f ns, swap %.0f ns\n", static_cast<double>(costs.draw_ns) / frames,
              static_cast<double>(costs.swap_ns) / frames);
  std::sort(costs.steps, costs.steps + costs.steps_kept);
  std::printf("frame_step: median %.6f, mean %.6f, max %.6f (0.1 ms units)\n",
              static_cast<double>(costs.steps[costs.steps_kept / 2]), costs.frame_step_sum / frames,
              static_cast<double>(costs.frame_step_max));
  std::printf("one probe clock read %.0f ns (5 per idle pass are inside the figures)\n", clock_ns);
  return code;
}
