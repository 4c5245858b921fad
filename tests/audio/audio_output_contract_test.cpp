// The contract of platform/audio_output.h, the same cases for every backend:
// each build links one backend with its fixture (audio_output_fixture.h).
#include "platform/audio_output.h"

#include "tests/audio/audio_output_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace {

using namespace output_contract;

constexpr int rate = 44100;
constexpr int64_t ms = 1000000;

// What the fill has seen; written by the output's thread, read here.
struct Recorder {
  std::atomic<int> calls{0};
  std::atomic<int64_t> frames{0};
  std::atomic<int64_t> first_stamp{0};
  std::atomic<int64_t> next_stamp{0};  // where the last fill's frames end
  std::atomic<int64_t> worst_gap_ns{0};
  std::atomic<int> bad_sizes{0};
};

Recorder recorder;
std::atomic<int> second_fill_calls{0};

void record(int16_t* out, int frames, int64_t heard_at_ns) {
  if (frames <= 0 || frames > 1 << 16) ++recorder.bad_sizes;
  for (int i = 0; i < frames * platform::audio_output_channels; ++i) out[i] = static_cast<int16_t>(i);
  if (recorder.calls++ == 0) {
    recorder.first_stamp = heard_at_ns;
  } else {
    const int64_t gap = std::llabs(heard_at_ns - recorder.next_stamp.load());
    if (gap > recorder.worst_gap_ns) recorder.worst_gap_ns = gap;
  }
  recorder.frames += frames;
  recorder.next_stamp = heard_at_ns + frames * 1000000000LL / rate;
}

void other_fill(int16_t*, int, int64_t) { ++second_fill_calls; }

void reset_recorder() {
  recorder.calls = 0;
  recorder.frames = 0;
  recorder.first_stamp = 0;
  recorder.next_stamp = 0;
  recorder.worst_gap_ns = 0;
  recorder.bad_sizes = 0;
  second_fill_calls = 0;
}

class AudioOutputContract : public ::testing::Test {
 protected:
  void SetUp() override { reset_recorder(); }
  void TearDown() override { platform::audio_output_close(); }
};

TEST_F(AudioOutputContract, OpensOnceAtTheRateAskedAndFillsWithStampsThatFollowOn) {
  platform::AudioOutputInfo info;
  ASSERT_TRUE(platform::audio_output_open(device(), rate, record, &info));
  EXPECT_EQ(info.rate, rate);
  EXPECT_EQ(info.audible, audible());

  // A second open changes nothing: same answer, the first fill kept.
  platform::AudioOutputInfo again;
  EXPECT_TRUE(platform::audio_output_open(device(), 22050, other_fill, &again));
  EXPECT_EQ(again.rate, rate);
  EXPECT_EQ(again.audible, info.audible);

  const int64_t clock_before = platform::audio_clock_ns();
  let_time_pass(300 * ms);
  const int64_t clock_after = platform::audio_clock_ns();
  EXPECT_GE(clock_after - clock_before, 300 * ms) << "the clock moves with the time passed";

  EXPECT_GT(recorder.calls.load(), 1);
  EXPECT_EQ(recorder.bad_sizes.load(), 0);
  EXPECT_EQ(second_fill_calls.load(), 0);
  // Each fill's frames are heard right after the previous fill's.
  EXPECT_LE(recorder.worst_gap_ns.load(), stamp_tolerance_ns());
  // The frames handed over reach up to about now: none missing, not far
  // ahead (a device keeps a buffer or two queued, no more).
  const int64_t end = recorder.next_stamp.load();
  EXPECT_GE(end, clock_after - 50 * ms - stamp_tolerance_ns()) << "fills fell behind the clock";
  EXPECT_LE(end, clock_after + 200 * ms) << "fills ran ahead of the clock";
  EXPECT_GE(recorder.first_stamp.load(), clock_before - 50 * ms);
}

TEST_F(AudioOutputContract, CloseStopsTheFillsAndTheOutputOpensAgain) {
  ASSERT_TRUE(platform::audio_output_open(device(), rate, record, nullptr));
  let_time_pass(100 * ms);
  platform::audio_output_close();
  const int calls = recorder.calls.load();
  EXPECT_GT(calls, 0);
  let_time_pass(100 * ms);
  EXPECT_EQ(recorder.calls.load(), calls) << "a fill after close";
  platform::audio_output_close();  // closing twice is harmless

  platform::AudioOutputInfo info;
  ASSERT_TRUE(platform::audio_output_open(device(), 48000, other_fill, &info));
  EXPECT_EQ(info.rate, 48000);
  let_time_pass(100 * ms);
  EXPECT_GT(second_fill_calls.load(), 0);
  EXPECT_EQ(recorder.calls.load(), calls);
}

TEST_F(AudioOutputContract, RefusesAnOpenThatMakesNoSense) {
  platform::AudioOutputInfo info;
  EXPECT_FALSE(platform::audio_output_open(device(), rate, nullptr, &info));
  EXPECT_FALSE(platform::audio_output_open(device(), 0, record, &info));
  EXPECT_FALSE(platform::audio_output_open(device(), -44100, record, &info));
  EXPECT_TRUE(platform::audio_output_open(device(), rate, record, nullptr)) << "still opens after refusals";
}

TEST_F(AudioOutputContract, TheClockNeverGoesBack) {
  ASSERT_TRUE(platform::audio_output_open(device(), rate, record, nullptr));
  int64_t previous = platform::audio_clock_ns();
  int backwards = 0;
  for (int i = 0; i < 20; ++i) {
    let_time_pass(2 * ms);
    const int64_t now = platform::audio_clock_ns();
    backwards += now < previous;
    previous = now;
  }
  EXPECT_EQ(backwards, 0);
}

}  // namespace
