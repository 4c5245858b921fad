// What the output's fill copies from a stream: loops, ends, restarts, and
// the time stamp it publishes for the position.
#include "audio/stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 10-frame stereo stream whose frame i holds i + 1 in both channels.
Stream* ramp_stream() {
  DecodedPcm pcm;
  pcm.rate = 44100;
  pcm.channels = 2;
  for (int16_t i = 1; i <= 10; ++i) pcm.samples.insert(pcm.samples.end(), {i, i});
  return make_stream(std::move(pcm), 44100);
}

std::vector<int16_t> render(Stream& s, int64_t heard_at_ns = 0) {
  std::vector<int16_t> out(4 * 2, 0);
  render_stream(s, out.data(), 4, heard_at_ns);
  std::vector<int16_t> left;
  for (size_t i = 0; i < out.size(); i += 2) {
    EXPECT_EQ(out[i], out[i + 1]);
    left.push_back(out[i]);
  }
  return left;
}

using Frames = std::vector<int16_t>;

TEST(StreamRender, LoopsAcrossTheWrapAndStampsEachFill) {
  Stream* s = ramp_stream();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(render(*s), Frames({0, 0, 0, 0})) << "not started";
  start_stream(*s, true, true);
  EXPECT_EQ(render(*s, 1000), Frames({1, 2, 3, 4}));
  EXPECT_EQ(render(*s, 2000), Frames({5, 6, 7, 8}));
  EXPECT_EQ(render(*s, 3000), Frames({9, 10, 1, 2}));
  const PlaybackSnapshot snap = s->snapshot.read();
  EXPECT_EQ(snap.time_ns, 3000) << "the time the fill's first frame is heard";
  EXPECT_EQ(snap.start_total, 8u);
  EXPECT_EQ(snap.start_cursor, 8u);
  EXPECT_EQ(snap.count, 4u);
  EXPECT_EQ(s->frames_handed.load(), 12u);
  delete s;
}

TEST(StreamRender, WithoutLoopingEndsOnceAndRestarts) {
  Stream* s = ramp_stream();
  start_stream(*s, false, true);
  EXPECT_EQ(render(*s), Frames({1, 2, 3, 4}));
  EXPECT_EQ(render(*s), Frames({5, 6, 7, 8}));
  EXPECT_EQ(render(*s), Frames({9, 10, 0, 0}));
  EXPECT_TRUE(s->finished.load());
  EXPECT_EQ(render(*s), Frames({0, 0, 0, 0}));
  start_stream(*s, false, false);  // an ended stream starts again
  EXPECT_EQ(render(*s), Frames({1, 2, 3, 4}));
  EXPECT_FALSE(s->finished.load());
  start_stream(*s, false, true);  // a restart goes back to the start
  EXPECT_EQ(render(*s), Frames({1, 2, 3, 4}));
  delete s;
}

}  // namespace
