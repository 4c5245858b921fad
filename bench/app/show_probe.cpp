// Linked into a copy of the demo, on Linux and on Windows alike: at the start
// of app_main and after each swap_buffers (probe/probe_points.h) it times
// the way from process start (ZARNIC_T0_NS, CLOCK_REALTIME nanoseconds taken
// by the launcher; under wine the Windows clock is the host's) to the first
// presented frame, then
// counts the frames presented while the timer reads 7 to 13 seconds — the
// main phase, between the intro (music below 5 s) and the credits fade
// (after 14 s) — and asks the demo to close.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/gl_window.h"
#include "bench/app/probe_clock.h"
#include "platform/platform.h"
#include "probe/probe_points.h"

namespace {

constexpr float main_phase_from_seconds = 7.0f;
constexpr float main_phase_to_seconds = 13.0f;

double start_ms = 0.0;
bool presented = false;
int main_phase_frames = 0;
double main_phase_start_ms = 0.0;
bool reported = false;

}  // namespace

void probe::at(probe::Point point, const void*) {
  if (point == probe::Point::app_main_begin) {
    start_ms = launch_ms(now_ms());
    return;
  }
  if (point != probe::Point::swap_end) return;
  const double now = now_ms();
  if (!presented) {
    presented = true;
    std::printf("first_frame_ms %.1f\n", now - start_ms);
#ifdef _WIN32
    // What the shell left the wait for the display's refresh at (0: off);
    // -1 where the driver has no WGL_EXT_swap_control.
    using GetSwapIntervalProc = int (*)();
    const auto get_swap_interval =
        reinterpret_cast<GetSwapIntervalProc>(platform::gl_proc_address("wglGetSwapIntervalEXT"));
    std::printf("swap_interval %d\n", get_swap_interval != nullptr ? get_swap_interval() : -1);
#endif
    std::fflush(stdout);
  }
  const float seconds = gl_window.timer_seconds;
  if (seconds >= main_phase_from_seconds && seconds < main_phase_to_seconds) {
    if (main_phase_frames == 0) main_phase_start_ms = now;
    ++main_phase_frames;
  } else if (seconds >= main_phase_to_seconds && !reported) {
    reported = true;
    const double span_ms = now - main_phase_start_ms;
    std::printf("main_phase_fps %.1f (%d frames in %.0f ms)\n",
                span_ms > 0.0 ? (main_phase_frames - 1) * 1000.0 / span_ms : 0.0, main_phase_frames, span_ms);
    std::fflush(stdout);
    platform::post_quit_message(0);
  }
}
