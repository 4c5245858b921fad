// What the device thread copies: loops, ends, and the clock's shifts.
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

std::vector<int16_t> render(Stream& s, int64_t shift) {
  std::vector<int16_t> out(4 * 2, 0);
  render_stream(s, out.data(), 4, 0, shift);
  std::vector<int16_t> left;
  for (size_t i = 0; i < out.size(); i += 2) {
    EXPECT_EQ(out[i], out[i + 1]);
    left.push_back(out[i]);
  }
  return left;
}

using Frames = std::vector<int16_t>;

TEST(StreamRender, LoopsSkipsAndRepeatsAcrossTheWrap) {
  Stream* s = ramp_stream();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(render(*s, 0), Frames({0, 0, 0, 0})) << "not started";
  start_stream(*s, true, true);
  EXPECT_EQ(render(*s, 5), Frames({1, 2, 3, 4})) << "a fresh start ignores the clock";
  EXPECT_EQ(render(*s, 3), Frames({8, 9, 10, 1}));
  EXPECT_EQ(render(*s, -2), Frames({10, 1, 2, 3}));
  EXPECT_EQ(render(*s, 0), Frames({4, 5, 6, 7}));
  EXPECT_EQ(s->frames_handed.load(), 4u + 7 + 2 + 4);
  delete s;
}

TEST(StreamRender, WithoutLoopingEndsOnceAndRestarts) {
  Stream* s = ramp_stream();
  start_stream(*s, false, true);
  EXPECT_EQ(render(*s, 0), Frames({1, 2, 3, 4}));
  EXPECT_EQ(render(*s, 5), Frames({10, 0, 0, 0}));
  EXPECT_TRUE(s->finished.load());
  EXPECT_EQ(render(*s, 0), Frames({0, 0, 0, 0}));
  start_stream(*s, false, false);  // an ended stream starts again
  EXPECT_EQ(render(*s, 0), Frames({1, 2, 3, 4}));
  EXPECT_FALSE(s->finished.load());
  delete s;
}

}  // namespace
