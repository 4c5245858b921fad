// The player's pace on the capture clock, which the test moves as a live run
// would move the audio output's clock: 0.6 units per second of show time
// since the previous drawn frame, however the passes and frames fall.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/frame_pace.h"
#include "app/frame_pace_designed.h"
#include "platform/audio_output.h"
#include "platform/capture/capture_clock.h"

namespace {

constexpr int64_t ns_per_second = 1000000000;

// One pass of the loop: the clock when it takes its step, and whether it
// draws a frame (otherwise it handles a message, or the window is minimised).
struct Pass {
  double at_seconds;
  bool drawn;
};

// The clock never goes back, so every run starts beyond the last.
int64_t fresh_start_ns() { return platform::audio_clock_ns() + 100 * ns_per_second; }

// The steps of the frames drawn in a run of passes.
std::vector<float> drawn_steps(const std::vector<Pass>& passes) {
  frame_pace_restart();
  const int64_t start_ns = fresh_start_ns();
  std::vector<float> steps;
  for (const Pass& pass : passes) {
    platform::capture_clock_advance_to(start_ns + static_cast<int64_t>(pass.at_seconds * ns_per_second));
    const float step = frame_pace_step();
    if (!pass.drawn) continue;
    frame_pace_frame_drawn();
    steps.push_back(step);
  }
  return steps;
}

TEST(FramePaceDesigned, StepIsShowTimeSinceThePreviousDrawnFrame) {
  constexpr bool frame = true;
  constexpr bool message = false;
  struct Case {
    const char* name;
    std::vector<Pass> passes;
    std::vector<float> expected;
  };
  const Case cases[] = {
      {"one frame at 60 fps is 0.01", {{0.0, frame}, {1.0 / 60, frame}}, {0.0f, 0.01f}},
      {"0.6 per second", {{0.0, frame}, {0.25, frame}, {1.25, frame}}, {0.0f, 0.15f, 0.6f}},
      {"the clock standing still gives 0", {{0.0, frame}, {0.0, frame}}, {0.0f, 0.0f}},
      {"message passes count toward the next frame",
       {{0.0, frame}, {0.01, message}, {0.03, message}, {0.05, frame}},
       {0.0f, 0.03f}},
      {"the loop's first pass stands in for the frame before the first", {{3.0, message}, {3.02, frame}}, {0.012f}},
      {"a first frame on the first pass shows the show's start", {{7.0, frame}}, {0.0f}},
      {"a stall counts as one second", {{0.0, frame}, {2.5, frame}, {2.55, frame}}, {0.0f, 0.6f, 0.03f}},
      {"a stall after slow frames counts as four of them",
       {{0.0, frame}, {0.5, frame}, {3.0, frame}},
       {0.0f, 0.3f, 1.2f}},
      {"a machine slower than a frame a second keeps time from its second slow frame",
       {{0.0, frame}, {0.05, frame}, {3.05, frame}, {6.05, frame}, {9.05, frame}},
       {0.0f, 0.03f, 0.6f, 1.8f, 1.8f}},
      {"minimised: the passes draw nothing and the animation pauses after a second",
       {{0.0, frame}, {0.5, message}, {1.5, message}, {4.0, message}, {5.0, frame}, {5.05, frame}},
       {0.0f, 0.6f, 0.03f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<float> steps = drawn_steps(c.passes);
    ASSERT_EQ(steps.size(), c.expected.size());
    for (size_t i = 0; i < steps.size(); ++i) EXPECT_FLOAT_EQ(steps[i], c.expected[i]) << "frame " << i;
  }
}

TEST(FramePaceDesigned, ASecondOfShowIsTheSameSumAtAnyFrameRate) {
  for (const int fps : {10, 60, 500}) {
    SCOPED_TRACE(fps);
    frame_pace_restart();
    const int64_t start_ns = fresh_start_ns();
    double sum = 0.0;
    for (int64_t n = 0; n <= fps; ++n) {
      platform::capture_clock_advance_to(start_ns + platform::capture_clock_frame_ns(n, fps));
      const float step = frame_pace_step();
      frame_pace_frame_drawn();
      if (n == 0) continue;
      EXPECT_FLOAT_EQ(step, static_cast<float>(designed_steps_per_second / fps)) << "frame " << n;
      sum += step;
    }
    EXPECT_NEAR(sum, designed_steps_per_second, 1e-6);
  }
  EXPECT_EQ(designed_frame_step, 0.01f);
}

}  // namespace
