// The player's own loop (app_main, the window procedure, the designed pace)
// on the scripted platform with the real scene, the scripted music following
// the capture clock, and a live run's irregular passes: frames of 40-110 ms,
// a timer tick each second, a short stretch minimised. Its frame at a given
// show time is then compared with the frames the show harness draws offline
// at the designed pace, one every 1/60 s, around the same moment.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/app_main.h"
#include "app/frame_pace.h"
#include "app/frame_pace_designed.h"
#include "app/gl_window.h"
#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "platform/audio_output.h"
#include "platform/capture/capture_clock.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "probe/probe_points.h"
#include "tools/render_frames/show_harness.h"

// The process-wide objects the scene works with.
Mesh* demo_mesh = nullptr;
Scene scene;

namespace {

using namespace platform;
namespace script = platform::script;

constexpr int64_t ns_per_ms = 1000000;
constexpr int64_t ns_per_second = 1000000000;

// The moment compared: 6.0 s, while the quads slide in (from 5.0 s to 7.2 s,
// 6 units a second) and the particles open into a cloud.
constexpr int compared_frame_at_60 = 360;
constexpr int64_t compared_ns = compared_frame_at_60 * ns_per_second / 60;

// The window's one-second timer runs from before the music starts.
constexpr int64_t first_tick_ns = 370 * ns_per_ms;
constexpr int64_t minimise_at_ns = 5600 * ns_per_ms;
constexpr int64_t restore_at_ns = 5900 * ns_per_ms;

// A frame on the scripted platform: the clock of its pass and its step.
struct LiveFrame {
  int64_t clock_ns;
  float step;
};

// The live run's passes, decided around each peek_message: what each pass
// costs on the clock, when ticks and the minimised stretch come.
struct LiveRun {
  std::vector<LiveFrame> frames;
  std::vector<uint8_t> compared_pixels;  // RGBA, bottom row first
  uint32_t random = 12345;
  int64_t next_tick_ns = first_tick_ns;
  bool minimised = false;
  int64_t compared_drawn_ns = 0;  // 0 until the frame at or after the compared moment
  int64_t pass_ns = 0;            // the clock when this pass's peek began
};

LiveRun live;

// 40 to 110 ms, a llvmpipe machine's frames, from a fixed sequence.
constexpr int64_t min_frame_ns = 40 * ns_per_ms;
constexpr int64_t max_frame_ns = 110 * ns_per_ms;
int64_t next_frame_ns() {
  constexpr uint32_t whole_ms_choices = (max_frame_ns - min_frame_ns) / ns_per_ms + 1;
  live.random = live.random * 1103515245u + 12345u;
  return min_frame_ns + ((live.random >> 16) % whole_ms_choices) * ns_per_ms;
}

void advance_clock(int64_t ns) { capture_clock_advance_to(audio_clock_ns() + ns); }

}  // namespace

// Called on every pass after the pace has taken its step, around the loop's
// peek, so the clock moved here is what the next pass's step sees.
void probe::at(probe::Point point, const void* subject) {
  if (point == probe::Point::peek_begin) {
    live.pass_ns = audio_clock_ns();
    const int64_t now = live.pass_ns;
    if (live.compared_drawn_ns != 0 && live.compared_pixels.empty()) {
      const uint8_t* pixels = show::screen_rgba();
      live.compared_pixels.assign(pixels, pixels + show::screen_width * show::screen_height * 4);
      script::feed(WM_CLOSE);
    }
    if (now >= live.next_tick_ns) {
      script::feed(WM_TIMER, 1);
      live.next_tick_ns += ns_per_second;
    }
    if (!live.minimised && now >= minimise_at_ns && now < restore_at_ns) {
      script::feed(WM_ACTIVATE, WA_INACTIVE | (uintptr_t{1} << 16));
      live.minimised = true;
    } else if (live.minimised && now >= restore_at_ns) {
      script::feed(WM_ACTIVATE, WA_ACTIVE);
      live.minimised = false;
    }
    return;
  }
  if (point != probe::Point::peek_end) return;
  const int64_t now = live.pass_ns;
  if (subject != nullptr) {
    advance_clock(ns_per_ms / 2);  // handling a message
    return;
  }
  if (!gl_window.window_active) {
    advance_clock(10 * ns_per_ms);  // a pass that draws nothing
    return;
  }
  // A frame is drawn on this pass, with the music where the clock is.
  scripted_music::set_position_seconds(static_cast<double>(now) / ns_per_second);
  live.frames.push_back({now, gl_window.frame_step});
  if (live.compared_drawn_ns == 0 && now >= compared_ns) live.compared_drawn_ns = now;
  int64_t next = now + next_frame_ns();
  // The frame that would pass the compared moment is drawn right on it.
  if (now < compared_ns && next > compared_ns) next = compared_ns;
  capture_clock_advance_to(next);
}

namespace {

// Mean absolute difference of two RGBA pictures' colour channels, 0-255.
double mean_difference(const uint8_t* a, const uint8_t* b) {
  const size_t count = static_cast<size_t>(show::screen_width) * show::screen_height;
  uint64_t sum = 0;
  for (size_t i = 0; i < count * 4; ++i) {
    if (i % 4 != 3) sum += static_cast<uint64_t>(std::abs(int(a[i]) - int(b[i])));
  }
  return static_cast<double>(sum) / (count * 3);
}

TEST(PlayerFrames, TheLiveFrameIsTheOfflineFrameOfTheSameMomentButForTheFrameCount) {
  ASSERT_EQ(chdir(ZARNIC_SOURCE_DIR), 0);
  demo_mesh = new Mesh("data/obj.b3df");
  script::reset();
  show::reset_show_state();
  frame_pace_restart();
  EXPECT_EQ(app_main(nullptr, nullptr, nullptr, SW_SHOW), 0);  // closed after the compared frame
  ASSERT_FALSE(live.compared_pixels.empty());
  ASSERT_EQ(live.compared_drawn_ns, compared_ns) << "no frame was drawn at the compared moment";

  // The player's loop: the first frame shows the start, every other frame
  // moves on by 0.6 units a second since the one before, message passes and
  // the minimised stretch included.
  ASSERT_GE(live.frames.size(), 50u);
  EXPECT_EQ(live.frames[0].step, 0.0f);
  int64_t longest_gap_ns = 0;
  for (size_t i = 1; i < live.frames.size(); ++i) {
    const int64_t gap_ns = live.frames[i].clock_ns - live.frames[i - 1].clock_ns;
    EXPECT_FLOAT_EQ(live.frames[i].step, static_cast<float>(designed_steps_per_second * gap_ns / ns_per_second))
        << "frame " << i;
    longest_gap_ns = std::max(longest_gap_ns, gap_ns);
  }
  EXPECT_GE(longest_gap_ns, restore_at_ns - minimise_at_ns);  // nothing drawn while minimised

  // A frame shows the animation as the steps of the frames before it left
  // it, 0.6 units a second from the last frame before the main phase to the
  // last one before this: the live frame at the compared moment is the
  // offline frame of a moment less than one live frame (at most 110 ms) away.
  // The offline frames 1/60 s apart around it tell which; what stays
  // different depends on the frame count itself (the particles respawn and
  // move on frame boundaries, the slide's last step), so it is the nearest by
  // far but not equal: its mean difference is at most 6 of 255 (3.1 here),
  // while a quarter of a second earlier it is more than twice as large.
  ASSERT_TRUE(show::open_offscreen_window());
  show::reset_show_state();
  show::start_show();
  const int tolerance_frames = static_cast<int>((max_frame_ns * 60 + ns_per_second - 1) / ns_per_second);
  int best_frame = -1;
  double best = 1e9, quarter_second_before = 0.0;
  for (int n = 290; n <= compared_frame_at_60 + tolerance_frames + 1; ++n) {
    scripted_music::set_position_seconds(n / 60.0);
    show::draw_frame(designed_frame_step);
    if (n < compared_frame_at_60 - 15) continue;
    const double difference = mean_difference(live.compared_pixels.data(), show::screen_rgba());
    if (n == compared_frame_at_60 - 15) quarter_second_before = difference;
    if (difference < best) {
      best = difference;
      best_frame = n;
    }
  }
  EXPECT_LE(std::abs(best_frame - compared_frame_at_60), tolerance_frames)
      << "the live frame at " << compared_frame_at_60 << "/60 s looks like the offline one at " << best_frame
      << "/60 s";
  EXPECT_LE(best, 6.0);
  EXPECT_GT(quarter_second_before, 2 * best);
}

}  // namespace
