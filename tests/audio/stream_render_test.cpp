// What the device thread copies from the ring: loops, ends and restarts, on
// a short real MP3 file decoded into the ring on the
// test's own thread.
#include "audio/stream.h"

#include "audio/mp3_file.h"
#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int length = 2900;  // frames of the file
constexpr int buffer = 1000;  // frames per device buffer

class StreamRender : public ::testing::Test {
 protected:
  void SetUp() override {
    // Starting part-way into the signal, so that no frame of the file reads
    // as silence.
    std::vector<int16_t> signal = make_test_signal(length + 100, 44100, 2);
    signal.erase(signal.begin(), signal.begin() + 200);
    mp3 = encode_mp3(signal, 44100, 2);
    ASSERT_TRUE(decode_mp3_memory(mp3.data(), mp3.size(), &pcm));
    ASSERT_EQ(pcm.frames(), size_t(length));
    Mp3Format format;
    Mp3Decoder* decoder = mp3_decoder_open_memory(mp3.data(), mp3.size(), &format);
    stream = make_stream(decoder, format, 44100);
    ASSERT_NE(stream, nullptr);
  }
  void TearDown() override { delete stream; }

  // One device buffer after the decoder thread's work; the file frame each
  // output frame holds (-1 for silence), checked against the decode.
  std::vector<int> render() {
    feed_stream(*stream);
    std::vector<int16_t> out(buffer * 2, 0);
    render_stream(*stream, out.data(), buffer, 0);
    return frames_of(out);
  }

  // Which file frames `out` holds, assuming a contiguous run.
  std::vector<int> frames_of(const std::vector<int16_t>& out) {
    std::vector<int> frames;
    for (size_t i = 0; i < out.size(); i += 2) {
      const int expected = frames.empty() || frames.back() < 0 ? -1 : (frames.back() + 1) % length;
      if (expected >= 0 && same(out, i, expected)) {
        frames.push_back(expected);
        continue;
      }
      const int found = find(out, i);
      frames.push_back(found >= 0 ? found : out[i] == 0 && out[i + 1] == 0 ? -1 : -2);
    }
    return frames;
  }
  bool same(const std::vector<int16_t>& out, size_t i, int frame) const {
    return out[i] == pcm.samples[2 * frame] && out[i + 1] == pcm.samples[2 * frame + 1];
  }
  // The file frame starting a run of 8 equal frames at out[i].
  int find(const std::vector<int16_t>& out, size_t i) const {
    for (int f = 0; f < length; ++f) {
      bool match = true;
      for (int k = 0; k < 8 && match && i + 2 * k < out.size(); ++k) match = same(out, i + 2 * k, (f + k) % length);
      if (match) return f;
    }
    return -2;
  }

  std::vector<unsigned char> mp3;
  DecodedPcm pcm;
  Stream* stream = nullptr;
};

TEST_F(StreamRender, LoopsAcrossTheWrapInsideABuffer) {
  EXPECT_EQ(render(), std::vector<int>(buffer, -1)) << "not started";
  start_stream(*stream, true, true);
  EXPECT_EQ(render().front(), 0);
  EXPECT_EQ(render().front(), 1000);
  std::vector<int> v = render();
  EXPECT_EQ(v.front(), 2000);
  EXPECT_EQ(v[899], 2899);
  EXPECT_EQ(v[900], 0);
  EXPECT_EQ(v.back(), 99);
  for (size_t i = 1; i < v.size(); ++i) ASSERT_EQ(v[i], (v[i - 1] + 1) % length) << i;
  EXPECT_EQ(render().front(), 100);
  EXPECT_EQ(stream->frames_handed.load(), 4000u);
}

TEST_F(StreamRender, WithoutLoopingEndsOnceAndRestarts) {
  start_stream(*stream, false, true);
  EXPECT_EQ(render().front(), 0);
  EXPECT_EQ(render().front(), 1000);
  std::vector<int> v = render();  // 2000 .. 2899, then silence
  EXPECT_EQ(v.front(), 2000);
  EXPECT_EQ(v[899], 2899);
  EXPECT_EQ(v[900], -1);
  EXPECT_EQ(v.back(), -1);
  EXPECT_TRUE(stream->finished.load());
  EXPECT_EQ(render(), std::vector<int>(buffer, -1));

  // An ended stream starts again: the device holds still for one buffer
  // while the decoder rewinds, then plays from the start.
  start_stream(*stream, false, false);
  EXPECT_FALSE(stream->finished.load());
  std::vector<int16_t> out(buffer * 2, 0);
  render_stream(*stream, out.data(), buffer, 0);
  EXPECT_EQ(frames_of(out), std::vector<int>(buffer, -1));
  v = render();
  EXPECT_EQ(v.front(), 0);
  EXPECT_EQ(v.back(), 999);

  // A restart while playing, looping this time.
  start_stream(*stream, true, true);
  render();
  EXPECT_EQ(render().front(), 0);
  render();
  v = render();
  EXPECT_EQ(v.front(), 2000);
  EXPECT_EQ(v[899], 2899);
  EXPECT_EQ(v[900], 0) << "loops now";
}

TEST_F(StreamRender, ADeviceAheadOfTheDecoderGetsSilenceNotStaleAudio) {
  // Nothing decoded past the first step: the device plays that, then waits.
  start_stream(*stream, true, true);
  std::vector<int16_t> out(44100 * 2, 0);
  render_stream(*stream, out.data(), 44100, 0);
  const uint64_t handed = stream->frames_handed.load();
  EXPECT_GT(handed, 0u);
  EXPECT_LT(handed, 44100u);
  for (size_t i = handed * 2; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
  std::vector<int> v = render();  // the decoder catches up
  EXPECT_EQ(v.front(), int(handed % length));
}

TEST_F(StreamRender, AnOutputNobodyHearsLeavesTheSpectrumWindowDecoded) {
  // The spectrum reads half a window past what is heard. An output nobody
  // hears may take all that was decoded, so it returns only once the
  // decoder (here late by 50 ms) has written that half window as well.
  start_stream(*stream, true, true);
  const uint64_t decoded = stream->ring.written.load();
  ASSERT_GT(decoded, 100u);
  stream->feeder_runs = true;  // this test's own thread plays the decoder thread
  std::thread late_decoder([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    feed_stream(*stream);
  });
  const int frames = static_cast<int>(decoded - 100);
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0);
  render_stream(*stream, out.data(), frames, 0, true);
  const uint64_t written = stream->ring.written.load();
  late_decoder.join();
  EXPECT_EQ(stream->ring.consumed.load(), uint64_t(frames));
  EXPECT_GE(written, uint64_t(frames) + 512);
}

}  // namespace
