#include <gtest/gtest.h>

#include <cstdint>

#include "app/app_main.h"
#include "app/frame_pace.h"
#include "app/frame_timer.h"
#include "platform/script/platform_script.h"

namespace script = platform::script;

namespace {

struct IntervalCase {
  const char* name;
  int64_t frequency;
  int64_t start;
  int64_t stop;
  bool has_counter;
  double expected;
};

class FrameTimerTest : public ::testing::Test {
 protected:
  void SetUp() override { script::reset(); }
};

TEST_F(FrameTimerTest, IntervalsInTenthsOfMillisecondsAndTheDemosPace) {
  const IntervalCase cases[] = {
      {"five counts at 10 MHz is 0.5 us", 10000000, 1000, 1005, true, 0.005},
      {"same count twice", 10000000, 77, 77, true, 0.0},
      {"backwards reads are not clamped", 10000000, 1005, 1000, true, -0.005},
      {"one second at 1 GHz", 1000000000, 0, 1000000000, true, 10000.0},
      // The difference is taken in 64 bits before widening to double, so
      // huge counts keep their small difference.
      {"difference of huge counts", 1000000000, (int64_t{1} << 60), (int64_t{1} << 60) + 30, true, 0.0003},
      {"101 counts per second is a counter", 101, 0, 101, true, 10000.0},
      {"100 counts per second is no counter", 100, 0, 100, false, 0.0},
      {"no counter at all", 0, 0, 5000, false, 0.0},
      {"negative frequency", -1000000, 0, 5, false, 0.0},
  };
  for (const IntervalCase& c : cases) {
    SCOPED_TRACE(c.name);
    script::reset();
    script::set_counter_frequency(c.frequency);
    FrameTimer timer;
    EXPECT_EQ(timer.has_counter, c.has_counter);
    EXPECT_EQ(timer.frequency, c.frequency);
    script::queue_counter_reads({c.start, c.stop});
    timer.begin();
    timer.end();
    EXPECT_DOUBLE_EQ(timer.elapsed(), c.expected);

    // The demo's pace is this interval through the process's FrameTimer, on
    // every pass, whatever frames were drawn before.
    frame_timer = FrameTimer();
    frame_pace_restart();
    script::queue_counter_reads({c.start, c.stop, c.start, c.stop});
    EXPECT_EQ(frame_pace_step(), static_cast<float>(c.expected));
    frame_pace_frame_drawn();
    EXPECT_EQ(frame_pace_step(), static_cast<float>(c.expected));
  }
}

TEST_F(FrameTimerTest, ElapsedIsZeroBeforeAnyInterval) {
  FrameTimer timer;
  EXPECT_EQ(timer.elapsed_ticks, 0.0);
  EXPECT_EQ(timer.elapsed(), 0.0);
}

TEST_F(FrameTimerTest, ElapsedIsComputedOncePerInterval) {
  script::set_counter_frequency(10000000);
  FrameTimer timer;
  script::queue_counter_reads({1000, 1005, 2000, 3000, 3010});
  timer.begin();
  timer.end();
  EXPECT_DOUBLE_EQ(timer.elapsed(), 0.005);
  EXPECT_TRUE(timer.elapsed_cached);

  // A second end moves the stop count, but the cached result stands until
  // the next begin.
  timer.end();
  EXPECT_DOUBLE_EQ(timer.elapsed_ticks, 1000.0);
  EXPECT_DOUBLE_EQ(timer.elapsed(), 0.005);

  timer.begin();
  EXPECT_FALSE(timer.elapsed_cached);
  EXPECT_EQ(timer.elapsed_value, 0.0);
  timer.end();
  EXPECT_DOUBLE_EQ(timer.elapsed(), 0.01);
}

TEST_F(FrameTimerTest, EndWithoutElapsedLeavesTheNextElapsedFresh) {
  script::set_counter_frequency(10000000);
  FrameTimer timer;
  script::queue_counter_reads({0, 5, 10});
  timer.begin();
  timer.end();
  timer.end();  // no elapsed in between: the later stop is the one measured
  EXPECT_DOUBLE_EQ(timer.elapsed(), 0.01);
}

}  // namespace
