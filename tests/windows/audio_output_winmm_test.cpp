// The waveOut output where this machine has no sound card: waveOutOpen
// fails, so the default device falls back to the silent output, which must
// take frames in real time and stamp them on the output's own clock (the
// shared contract is in tests/audio/audio_output_contract_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/audio_output.h"
#include "platform/silent/silent_output.h"

namespace {

constexpr int rate = 44100;
constexpr int64_t ns_per_second = 1000000000;

std::atomic<int64_t> frames_taken{0};
std::atomic<int64_t> stamps_ahead{0};  // stamped more than half a second after the call

void count_fill(int16_t* out, int frames, int64_t heard_at_ns) {
  for (int i = 0; i < frames * platform::audio_output_channels; ++i) out[i] = 0;
  if (heard_at_ns > platform::audio_clock_ns() + ns_per_second / 2) stamps_ahead.fetch_add(1);
  frames_taken.fetch_add(frames);
}

TEST(WinmmOutput, WithoutASoundCardTheSilentOutputTakesFramesInRealTime) {
  for (int device : {0, 1}) {
    frames_taken = 0;
    stamps_ahead = 0;
    platform::AudioOutputInfo info;
    ASSERT_TRUE(platform::audio_output_open(device, rate, count_fill, &info)) << "device " << device;
    EXPECT_EQ(info.rate, rate);
    EXPECT_FALSE(info.audible) << "device " << device << ": no sound card here";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int64_t start = platform::audio_clock_ns();
    const int64_t frames_at_start = frames_taken.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int64_t elapsed = platform::audio_clock_ns() - start;
    const int64_t taken = frames_taken.load() - frames_at_start;
    platform::audio_output_close();
    // Loose bounds for a busy machine: the output catches up on lateness
    // from the clock, so it may lag a little but never runs ahead.
    const double expected = static_cast<double>(elapsed) * rate / ns_per_second;
    EXPECT_GT(taken, expected * 0.8) << "device " << device;
    EXPECT_LT(taken, expected * 1.05 + 4096) << "device " << device;
    EXPECT_EQ(stamps_ahead.load(), 0) << "device " << device;
  }
}

TEST(WinmmOutput, SilentStampsAndTheAudioClockAreOneClock) {
  // The silent output stamps with the monotonic clock, the waveOut output
  // reads the performance counter: they must agree for positions to hold.
  for (int i = 0; i < 5; ++i) {
    const int64_t counter = platform::audio_clock_ns();
    const int64_t monotonic = platform::monotonic_clock_ns();
    const int64_t counter_after = platform::audio_clock_ns();
    EXPECT_GE(monotonic, counter - 1000000);
    EXPECT_LE(monotonic, counter_after + 1000000);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  EXPECT_GT(frequency.QuadPart, 0);
}

}  // namespace
