// The ring's bookkeeping: room up to the kept history, writes across the
// end of the storage, loop offsets, and what is still held.
#include "audio/music_ring.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// count frames whose samples are (i, -i) from `first` on.
std::vector<int16_t> frames_from(int first, int count) {
  std::vector<int16_t> v;
  for (int i = first; i < first + count; ++i) v.insert(v.end(), {int16_t(i), int16_t(-i)});
  return v;
}

TEST(MusicRing, WritesUpToTheHistoryAndKeepsWhatWasPlayed) {
  MusicRing ring;
  ring_allocate(ring, 100, 16);  // rounded up to 128
  ASSERT_EQ(ring.capacity, 128u);
  EXPECT_EQ(ring_space(ring), 128u - 16);

  ring_write(ring, frames_from(0, 100).data(), 100, 0);
  EXPECT_EQ(ring_space(ring), 12u);
  ring.consumed.store(90);  // the device took 90 frames
  EXPECT_EQ(ring_space(ring), 90u + 128 - 16 - 100);

  // 60 more, across the end of the storage; the loop began again at 100.
  ring_write(ring, frames_from(100, 60).data(), 60, 0);
  EXPECT_EQ(ring.written.load(), 160u);
  for (uint64_t i : {74u, 90u, 127u, 128u, 159u}) {
    ASSERT_TRUE(ring_holds(ring, i)) << i;
    EXPECT_EQ(ring_frame(ring, i)[0], int16_t(i)) << i;
    EXPECT_EQ(ring_frame(ring, i)[1], int16_t(-int(i))) << i;
    EXPECT_EQ(ring_loop_offset(ring, i), i < 100 ? i : i - 100) << i;
  }
  EXPECT_FALSE(ring_holds(ring, 31)) << "overwritten";
  EXPECT_TRUE(ring_holds(ring, 32)) << "oldest held";
  EXPECT_FALSE(ring_holds(ring, 160)) << "not written yet";

  // Rewritten from the device's position: the frames after it are gone.
  ring_rewrite_from(ring, 90);
  EXPECT_FALSE(ring_holds(ring, 90));
  EXPECT_TRUE(ring_holds(ring, 89));
  EXPECT_EQ(ring_space(ring), 128u - 16);
}

}  // namespace
