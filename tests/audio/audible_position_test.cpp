// Interpolating the heard frame between device callbacks.
#include "audio/audible_position.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr int rate = 44100;
constexpr int64_t ms = 1000000;
// 1024 frames, the nanosecond rounded towards the stamp (1023.99998 frames).
constexpr int64_t one_buffer_ns = 1024 * 1000000000LL / rate;

PlaybackSnapshot snap(uint64_t start_total, uint64_t start_cursor, uint32_t count, bool looping) {
  PlaybackSnapshot s;
  s.generation = 1;
  s.looping = looping;
  s.start_total = start_total;
  s.start_cursor = start_cursor;
  s.count = count;
  s.time_ns = 1000 * ms;
  return s;
}

TEST(AudiblePosition, InterpolatesClampsAndMapsIntoTheFile) {
  struct Row {
    const char* what;
    PlaybackSnapshot s;
    int64_t after_ns;  // read this long after the stamp (before it, if negative)
    uint64_t floor;
    uint64_t total, cursor;
  };
  const uint64_t length = 10000;
  const Row rows[] = {
      {"nothing handed yet", PlaybackSnapshot{}, 5 * ms, 0, 0, 0},
      {"at the stamp", snap(4096, 4096, 1024, true), 0, 0, 4096, 4096},
      {"10 ms on", snap(4096, 4096, 1024, true), 10 * ms, 0, 4096 + 441, 4096 + 441},
      {"late fill stops at the buffer's end", snap(4096, 4096, 1024, true), 80 * ms, 0, 5120, 5120},
      // 3 ms is 132.3 frames: rounded down to 133 frames back.
      {"before the stamp reaches into the buffer before", snap(4096, 4096, 1024, true), -3 * ms, 0, 3963, 3963},
      {"one buffer ahead reaches back across the wrap", snap(20000, 0, 1024, true), -one_buffer_ns, 0, 18976, 8976},
      {"ahead of the very start", snap(0, 0, 1024, true), -one_buffer_ns + 5 * ms, 0, 0, 0},
      {"never behind the last report", snap(4096, 4096, 1024, true), 1 * ms, 4500, 4500, 4500},
      {"stops at the end without looping", snap(9800, 9800, 200, false), 50 * ms, 0, 10000, 10000},
  };
  for (const Row& r : rows) {
    const AudiblePoint p = audible_point(r.s, r.s.time_ns + r.after_ns, rate, length, r.floor);
    EXPECT_EQ(p.total, r.total) << r.what;
    EXPECT_EQ(p.cursor, r.cursor) << r.what;
  }
  // 300 frames into a buffer that started 100 frames before the file's end.
  const PlaybackSnapshot s = snap(29900, length - 100, 1024, true);
  const AudiblePoint p = audible_point(s, s.time_ns + 300 * 1000000000LL / rate + 1, rate, length, 0);
  EXPECT_EQ(p.total, 30200u);
  EXPECT_EQ(p.cursor, 200u);
}

TEST(AudiblePosition, ReadersNeverSeeAHalfWrittenSnapshot) {
  SnapshotCell cell;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (uint32_t i = 1; i < 200000; ++i) {
      PlaybackSnapshot s;
      s.generation = i;
      s.start_total = uint64_t(i) * 3;
      s.start_cursor = uint64_t(i) * 5;
      s.count = i * 7;
      s.time_ns = int64_t(i) * 11;
      cell.publish(s);
    }
    done = true;
  });
  int torn = 0;
  while (!done) {
    const PlaybackSnapshot s = cell.read();
    const uint64_t i = s.generation;
    torn +=
        s.start_total != i * 3 || s.start_cursor != i * 5 || s.count != uint32_t(i * 7) || s.time_ns != int64_t(i) * 11;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
