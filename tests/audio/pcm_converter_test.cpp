// The PCM converter's contract: lengths, pitch and level kept, mono played
// in both channels, the same output whatever the chunking, and a flush that
// starts it afresh.
#include "audio/pcm_converter.h"
#include "tests/support/signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Converts `in` in chunks of `chunk` frames, then flushes.
std::vector<int16_t> convert(PcmConverter* c, const std::vector<int16_t>& in, int channels, long chunk) {
  std::vector<int16_t> out, buffer(static_cast<size_t>(pcm_converter_max_output(c)) * 2);
  const long frames = static_cast<long>(in.size()) / channels;
  for (long at = 0; at < frames; at += chunk) {
    const long n = pcm_converter_convert(c, in.data() + at * channels, std::min(chunk, frames - at), buffer.data());
    EXPECT_GE(n, 0);
    out.insert(out.end(), buffer.begin(), buffer.begin() + std::max(n, 0L) * 2);
  }
  const long tail = pcm_converter_flush(c, buffer.data());
  EXPECT_GE(tail, 0);
  out.insert(out.end(), buffer.begin(), buffer.begin() + std::max(tail, 0L) * 2);
  return out;
}

// Rising zero crossings of the left channel per second.
double left_hz(const std::vector<int16_t>& stereo, int rate) {
  int crossings = 0;
  for (size_t i = 2; i < stereo.size(); i += 2) crossings += stereo[i - 2] < 0 && stereo[i] >= 0;
  return crossings * static_cast<double>(rate) / (stereo.size() / 2);
}

struct Case {
  int in_rate;
  int channels;
  int out_rate;
};

TEST(PcmConverter, KeepsLengthPitchAndLevelWhateverTheChunking) {
  for (const Case& k : {Case{48000, 2, 44100}, Case{22050, 1, 44100}, Case{44100, 1, 44100}, Case{8000, 2, 44100},
                        Case{32000, 1, 48000}}) {
    SCOPED_TRACE(std::to_string(k.in_rate) + " Hz, " + std::to_string(k.channels) + " ch -> " +
                 std::to_string(k.out_rate));
    const int frames = k.in_rate * 2 + 77;
    const std::vector<int16_t> in = sine_pcm(frames, k.in_rate, k.channels, 441.0, 0.5);
    PcmConverter* c = pcm_converter_open(k.in_rate, k.channels, k.out_rate, 4096);
    ASSERT_NE(c, nullptr);
    const std::vector<int16_t> out = convert(c, in, k.channels, 4096);
    const double expected_frames = static_cast<double>(frames) * k.out_rate / k.in_rate;
    EXPECT_NEAR(out.size() / 2.0, expected_frames, 2.0);
    EXPECT_NEAR(left_hz(out, k.out_rate), 441.0, 2.0);
    // Level: the tone's RMS over the middle second, away from the filter's
    // ringing at the ends.
    double sum = 0;
    int channel_differences = 0;
    const size_t middle = out.size() / 4 * 2, count = static_cast<size_t>(k.out_rate);
    for (size_t i = 0; i < out.size(); i += 2) channel_differences += out[i] != out[i + 1];
    for (size_t i = middle; i < middle + 2 * count; i += 2) sum += double(out[i]) * out[i];
    EXPECT_NEAR(std::sqrt(sum / count), 16384 / std::sqrt(2.0), 100) << "level kept, mono at full level";
    EXPECT_EQ(channel_differences, 0) << "the same signal in both channels";
    if (k.in_rate == k.out_rate) {
      for (int i = 0; i < frames; ++i) ASSERT_EQ(out[2 * size_t(i)], in[size_t(i) * k.channels]);
    }

    // Other chunk sizes, and the same input again after the flush: the same
    // samples.
    EXPECT_EQ(convert(c, in, k.channels, 1000), out);
    EXPECT_EQ(convert(c, in, k.channels, 37), out);
    pcm_converter_close(c);
  }
}

TEST(PcmConverter, RefusesFormatsOutOfRangeAndOversizedChunks) {
  EXPECT_EQ(pcm_converter_open(44100, 3, 44100, 1024), nullptr);
  EXPECT_EQ(pcm_converter_open(44100, 0, 44100, 1024), nullptr);
  EXPECT_EQ(pcm_converter_open(0, 2, 44100, 1024), nullptr);
  EXPECT_EQ(pcm_converter_open(44100, 2, -1, 1024), nullptr);
  EXPECT_EQ(pcm_converter_open(44100, 2, 48000, 0), nullptr);
  PcmConverter* c = pcm_converter_open(48000, 2, 44100, 256);
  ASSERT_NE(c, nullptr);
  std::vector<int16_t> in(2 * 257), out(static_cast<size_t>(pcm_converter_max_output(c)) * 2);
  EXPECT_EQ(pcm_converter_convert(c, in.data(), 257, out.data()), -1);
  pcm_converter_close(c);
  pcm_converter_close(nullptr);
}

}  // namespace
