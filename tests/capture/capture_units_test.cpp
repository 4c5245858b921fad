// The frame clock and the command line of zarnic_capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frame_pace.h"
#include "app/frame_pace_designed.h"
#include "platform/capture/capture_clock.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/frame_clock.h"
#include "tools/capture/frame_step.h"

namespace {

using capture::FrameClock;

TEST(FrameClock, FrameNIsDrawnAtNOverFpsPlusTheStart) {
  struct Case {
    int fps;
    double from;
    int64_t frame;
    int64_t expected_ns;
  };
  const Case cases[] = {
      {60, 0.0, 0, 0},
      {60, 0.0, 1, 16666667},
      {60, 0.0, 59, 983333334},
      {60, 0.0, 60, 1000000000},
      {60, 0.0, 1020, 17000000000},
      {30, 0.0, 7, 233333334},
      {25, 0.0, 1000, 40000000000},
      // A whole day of frames: the integer clock does not drift.
      {60, 0.0, 60 * 86400 + 1, 86400016666667},
      {60, 4.5, 0, 4500000000},
      {30, 4.5, 15, 5000000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(capture::frame_time_ns(FrameClock{c.fps, c.from}, c.frame), c.expected_ns)
        << c.fps << " fps, from " << c.from << ", frame " << c.frame;
  }
}

TEST(FrameClock, PhaseBoundariesFallOnTheExpectedFrames) {
  // The frame at exactly 5.0 s (or 14.0 s) and the ones either side.
  struct Case {
    int fps;
    double from;
    double boundary;
    int64_t frame;
  };
  const Case cases[] = {
      {30, 0.0, 5.0, 150},  {30, 0.0, 14.0, 420}, {60, 0.0, 5.0, 300},
      {60, 0.0, 14.0, 840}, {60, 4.0, 5.0, 60},   {24, 0.0, 14.0, 336},
  };
  for (const Case& c : cases) {
    const FrameClock clock{c.fps, c.from};
    const int64_t boundary_ns = static_cast<int64_t>(c.boundary * 1e9);
    EXPECT_EQ(capture::first_frame_at_or_after(clock, c.boundary), c.frame) << c.fps << " fps at " << c.boundary;
    EXPECT_EQ(capture::frame_time_ns(clock, c.frame), boundary_ns);
    EXPECT_LT(capture::frame_time_ns(clock, c.frame - 1), boundary_ns);
    EXPECT_GT(capture::frame_time_ns(clock, c.frame + 1), boundary_ns);
  }
  // A boundary between two frames: the first frame after it.
  EXPECT_EQ(capture::first_frame_at_or_after(FrameClock{7, 0.0}, 5.0), 35);
  EXPECT_EQ(capture::first_frame_at_or_after(FrameClock{7, 0.0}, 14.1), 99);
  EXPECT_EQ(capture::first_frame_at_or_after(FrameClock{60, 6.0}, 5.0), 0);
}

TEST(FrameClock, FrameCountsAndAudioFramesAddUpExactly) {
  EXPECT_EQ(capture::frame_count(FrameClock{60, 0.0}, 17.0), 1020);
  EXPECT_EQ(capture::frame_count(FrameClock{30, 0.0}, 2.0), 60);
  EXPECT_EQ(capture::frame_count(FrameClock{7, 0.0}, 1.0), 7);
  for (const int fps : {7, 24, 30, 60}) {
    const FrameClock clock{fps, 0.0};
    // The audio frame heard at each frame's time is the one the track puts
    // at the frame's start.
    for (int64_t n = 0; n < 3 * fps; ++n) {
      EXPECT_EQ(capture::frame_time_ns(clock, n) * 44100 / 1000000000, capture::audio_frames_before(clock, n, 44100))
          << fps << " fps, frame " << n;
    }
    int64_t total = 0;
    for (int64_t n = 0; n < 3 * fps; ++n) {
      const int64_t count =
          capture::audio_frames_before(clock, n + 1, 44100) - capture::audio_frames_before(clock, n, 44100);
      EXPECT_GE(count, 44100 / fps);
      EXPECT_LE(count, 44100 / fps + 1);
      total += count;
    }
    // Three seconds of video carry exactly three seconds of sound.
    EXPECT_EQ(total, 3 * 44100) << fps << " fps";
  }
}

struct Parsed {
  bool ok;
  capture::Options options;
  std::string error;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zarnic_capture");
  Parsed parsed;
  parsed.ok = capture::parse_options(static_cast<int>(args.size()), args.data(), &parsed.options, &parsed.error);
  return parsed;
}

TEST(CaptureOptions, DefaultsAreTheLiveRun) {
  const Parsed p = parse({"out.mp4"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.fps, 60);
  EXPECT_EQ(p.options.seconds, 17.0);
  EXPECT_EQ(p.options.from_seconds, 0.0);
  EXPECT_EQ(p.options.step_mode, capture::StepMode::designed);
  EXPECT_FALSE(p.options.lossless);
  EXPECT_EQ(p.options.out_path, "out.mp4");
}

TEST(CaptureOptions, EveryOptionIsTaken) {
  const Parsed fixed =
      parse({"--fps", "30", "--seconds", "2.5", "--from", "4", "--frame-step", "0.02", "--lossless", "dir/show.mp4"});
  ASSERT_TRUE(fixed.ok) << fixed.error;
  EXPECT_EQ(fixed.options.fps, 30);
  EXPECT_EQ(fixed.options.seconds, 2.5);
  EXPECT_EQ(fixed.options.from_seconds, 4.0);
  EXPECT_EQ(fixed.options.step_mode, capture::StepMode::fixed);
  EXPECT_FLOAT_EQ(fixed.options.frame_step, 0.02f);
  EXPECT_TRUE(fixed.options.lossless);
  EXPECT_EQ(fixed.options.out_path, "dir/show.mp4");

  const Parsed measured = parse({"out.mp4", "--frame-step", "measured"});
  ASSERT_TRUE(measured.ok) << measured.error;
  EXPECT_EQ(measured.options.step_mode, capture::StepMode::measured);
  // Seconds beyond the music's loop are fine: the music loops.
  EXPECT_TRUE(parse({"--from", "100", "--seconds", "600", "o.mp4"}).ok);
  EXPECT_TRUE(parse({"--frame-step", "0", "o.mp4"}).ok);
}

TEST(CaptureOptions, NonsenseIsRefusedWithTheReason) {
  struct Case {
    std::vector<const char*> args;
    const char* reason;  // a part of the message
  };
  const std::vector<Case> cases = {
      {{}, "no output file"},
      {{"--fps", "0", "o.mp4"}, "--fps"},
      {{"--fps", "-30", "o.mp4"}, "--fps"},
      {{"--fps", "29.97", "o.mp4"}, "--fps"},
      {{"--fps", "100000", "o.mp4"}, "--fps"},
      {{"--fps", "sixty", "o.mp4"}, "--fps"},
      {{"--seconds", "-1", "o.mp4"}, "--seconds"},
      {{"--seconds", "0", "o.mp4"}, "--seconds"},
      {{"--seconds", "nan", "o.mp4"}, "--seconds"},
      {{"--seconds", "0.001", "o.mp4"}, "shorter than one frame"},
      {{"--from", "-2", "o.mp4"}, "--from"},
      {{"--from", "1e12", "o.mp4"}, "--from"},
      {{"--seconds", "90000", "o.mp4"}, "--seconds"},
      {{"--frame-step", "-0.1", "o.mp4"}, "--frame-step"},
      {{"--frame-step", "fast", "o.mp4"}, "--frame-step"},
      {{"--fps"}, "needs a value"},
      {{"o.mp4", "--seconds"}, "needs a value"},
      {{"--speed", "2", "o.mp4"}, "unknown option '--speed'"},
      {{"a.mp4", "b.mp4"}, "one output file"},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.args);
    std::string line;
    for (const char* a : c.args) line += std::string(a) + " ";
    EXPECT_FALSE(p.ok) << line;
    EXPECT_NE(p.error.find(c.reason), std::string::npos) << line << "-> " << p.error;
  }
}

}  // namespace

namespace {

TEST(FrameStep, DefaultIsThePlayersPaceOnTheFrameClock) {
  // The player's pace on the capture clock moved from frame to frame: the
  // first frame shows the show at its start, every later one 0.6 / fps, so a
  // second of video holds the same 0.6 units whatever the frame rate.
  capture::Options options;
  int64_t start_ns = 0;
  for (const int fps : {1, 24, 30, 60, 1000}) {
    SCOPED_TRACE(fps);
    frame_pace_restart();
    const FrameClock clock{fps, static_cast<double>(start_ns) / 1e9};
    double second = 0.0;
    for (int64_t n = 0; n <= fps; ++n) {
      platform::capture_clock_advance_to(capture::frame_time_ns(clock, n));
      const float step = capture::next_frame_step(options);
      frame_pace_frame_drawn();
      if (n == 0) {
        EXPECT_EQ(step, 0.0f);
      } else {
        second += step;
        if (fps == 60) {
          EXPECT_EQ(step, designed_frame_step);
        }
      }
    }
    EXPECT_NEAR(second, designed_steps_per_second, 1e-6);
    start_ns = capture::frame_time_ns(clock, fps + 1);
  }
  options.step_mode = capture::StepMode::fixed;
  options.frame_step = 0.25f;
  EXPECT_EQ(capture::next_frame_step(options), 0.25f);
}

TEST(FrameStep, MeasuredIsThisMachinesCounterReadThroughFrameTimer) {
  // Two back-to-back reads of a real counter: some nanoseconds to a few
  // microseconds and never negative. One pair may straddle a switch to
  // another process on a busy machine, so only the median is bounded: far
  // below a millisecond (10 units).
  std::vector<float> steps;
  for (int i = 0; i < 101; ++i) steps.push_back(capture::measured_frame_step());
  for (const float step : steps) ASSERT_GE(step, 0.0f);
  std::sort(steps.begin(), steps.end());
  EXPECT_LT(steps[50], 10.0f);
}

}  // namespace
