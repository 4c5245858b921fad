// The waveOut output's silent fallback and its open/close rules, under wine.
// This machine has no sound card, so waveOutOpen fails and the default
// device falls back to the silent output too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/audio_output.h"

namespace {

constexpr int rate = 44100;
constexpr int64_t ns_per_second = 1000000000;

struct FillLog {
  std::atomic<int64_t> frames{0};
  std::atomic<int64_t> calls{0};
  std::atomic<int64_t> last_heard_at{0};
  std::atomic<int64_t> bad_steps{0};     // stamps not one buffer apart
  std::atomic<int64_t> stamps_early{0};  // stamped far ahead of the call
  std::atomic<bool> wrote_all{true};
};
FillLog log_;

void record_fill(int16_t* out, int frames, int64_t heard_at_ns) {
  const int64_t now = platform::audio_clock_ns();
  for (int i = 0; i < frames * platform::audio_output_channels; ++i) out[i] = static_cast<int16_t>(i);
  const int64_t previous = log_.last_heard_at.exchange(heard_at_ns);
  const int64_t previous_frames = log_.frames.fetch_add(frames);
  if (log_.calls.fetch_add(1) > 0) {
    // Buffer n is heard n buffers after buffer 0: at most a nanosecond of
    // rounding between neighbours.
    const int64_t step = heard_at_ns - previous;
    const int64_t expected = static_cast<int64_t>(frames) * ns_per_second / rate;
    if (previous_frames > 0 && (step < expected - 1 || step > expected + 1)) log_.bad_steps.fetch_add(1);
  }
  // A late wake-up stamps a buffer in the past (silence keeps to the clock
  // and is not delayed), but never more than half a second ahead.
  if (heard_at_ns > now + ns_per_second / 2) log_.stamps_early.fetch_add(1);
}

void reset_log() {
  log_.frames = 0;
  log_.calls = 0;
  log_.last_heard_at = 0;
  log_.bad_steps = 0;
  log_.stamps_early = 0;
}

TEST(WinmmOutput, SilentOutputTakesFramesInRealTime) {
  for (int device : {0, 1}) {
    reset_log();
    platform::AudioOutputInfo info;
    ASSERT_TRUE(platform::audio_output_open(device, rate, record_fill, &info)) << "device " << device;
    EXPECT_EQ(info.rate, rate);
    EXPECT_FALSE(info.audible) << "device " << device << ": no sound card here";
    const int64_t start = platform::audio_clock_ns();
    const int64_t frames_at_start = log_.frames.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int64_t elapsed = platform::audio_clock_ns() - start;
    const int64_t taken = log_.frames.load() - frames_at_start;
    platform::audio_output_close();
    // Loose bounds: a busy machine delays the thread, but the pacer makes up
    // for lateness from its start time, never running ahead.
    const double expected = static_cast<double>(elapsed) * rate / ns_per_second;
    EXPECT_GT(taken, expected * 0.8 - 2048) << "device " << device;
    EXPECT_LT(taken, expected + 3 * 1024) << "device " << device;
    EXPECT_EQ(log_.bad_steps.load(), 0) << "device " << device;
    EXPECT_EQ(log_.stamps_early.load(), 0) << "device " << device;
  }
}

TEST(WinmmOutput, OpensOnceClosesFullyAndOpensAgain) {
  reset_log();
  platform::AudioOutputInfo info;
  ASSERT_TRUE(platform::audio_output_open(0, 22050, record_fill, &info));
  EXPECT_EQ(info.rate, 22050);
  platform::AudioOutputInfo second;
  EXPECT_TRUE(platform::audio_output_open(0, rate, record_fill, &second)) << "a second open changes nothing";
  EXPECT_EQ(second.rate, 22050);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  platform::audio_output_close();
  const int64_t calls = log_.calls.load();
  EXPECT_GT(calls, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(log_.calls.load(), calls) << "fill called after close returned";
  platform::audio_output_close();  // a second close does nothing

  EXPECT_FALSE(platform::audio_output_open(0, rate, nullptr, &info)) << "no fill function";
  ASSERT_TRUE(platform::audio_output_open(0, 1, record_fill, &info));
  EXPECT_EQ(info.rate, rate) << "an impossible rate falls back to the default";
  platform::audio_output_close();
}

TEST(WinmmOutput, ClockIsMonotonicNanoseconds) {
  const int64_t a = platform::audio_clock_ns();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const int64_t b = platform::audio_clock_ns();
  EXPECT_GE(b - a, 40000000);
  EXPECT_LT(b - a, 5 * ns_per_second);
  int64_t previous = platform::audio_clock_ns();
  for (int i = 0; i < 10000; ++i) {
    const int64_t now = platform::audio_clock_ns();
    ASSERT_GE(now, previous);
    previous = now;
  }
}

}  // namespace
