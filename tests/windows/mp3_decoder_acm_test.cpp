// The ACM decoder against libmpg123's gapless decode of the same files:
// format, exact length, sample alignment, loops and chunking; and what it
// does with broken input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"
#include "tests/windows/reference_files.h"
#include "tests/windows/reference_set.h"

namespace {

struct Decoded {
  Mp3Format format;
  std::vector<int16_t> samples;
  bool opened = false;
  bool broken = false;  // a read returned -1
};

// Reads the decoder to its end in chunks of `chunk` frames.
void read_to_end(Mp3Decoder* d, int channels, long chunk, Decoded* out) {
  std::vector<int16_t> buffer(static_cast<size_t>(chunk) * channels);
  for (;;) {
    const long n = mp3_decoder_read(d, buffer.data(), chunk);
    if (n < 0) out->broken = true;
    if (n <= 0) break;
    out->samples.insert(out->samples.end(), buffer.begin(), buffer.begin() + n * channels);
  }
}

Decoded decode_file(const std::string& path, long chunk = 4096) {
  Decoded out;
  Mp3Decoder* d = mp3_decoder_open_file(path.c_str(), 0, 0, &out.format);
  out.opened = d != nullptr;
  if (d != nullptr) read_to_end(d, out.format.channels, chunk, &out);
  mp3_decoder_close(d);
  return out;
}

// Signal-to-error ratio in dB of `test` against `reference`, with `test`
// moved by `lag` frames.
double snr_db(const std::vector<int16_t>& reference, const std::vector<int16_t>& test, int channels, int lag) {
  double signal = 0, error = 0;
  const long frames = static_cast<long>(std::min(reference.size(), test.size()) / channels);
  for (long f = 8; f + 8 < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      const double r = reference[f * channels + c];
      const double t = test[(f + lag) * channels + c];
      signal += r * r;
      error += (r - t) * (r - t);
    }
  }
  return 10 * std::log10(signal / std::max(error, 1.0));
}

TEST(AcmDecoder, LengthAndSamplesEqualTheLinuxDecode) {
  for (const ReferenceTrack& track : reference_tracks) {
    const std::vector<int16_t> linux_decode = read_reference_file<int16_t>(std::string(track.name) + ".raw");
    ASSERT_FALSE(linux_decode.empty()) << track.name;
    const Decoded acm = decode_file(reference_path(std::string(track.name) + ".mp3"));
    ASSERT_TRUE(acm.opened) << track.name;
    EXPECT_FALSE(acm.broken) << track.name;
    EXPECT_EQ(acm.format.rate, track.rate) << track.name;
    EXPECT_EQ(acm.format.channels, track.channels) << track.name;
    const int64_t linux_frames = static_cast<int64_t>(linux_decode.size()) / track.channels;
    EXPECT_EQ(acm.format.frames, linux_frames) << track.name;
    EXPECT_EQ(static_cast<int64_t>(acm.samples.size()) / track.channels, linux_frames) << track.name;
    // Aligned: the error is smallest with no lag, and small.
    const double aligned = snr_db(linux_decode, acm.samples, track.channels, 0);
    std::printf("%s: %lld frames, %.1f dB; lag -1: %.1f dB, +1: %.1f dB\n", track.name,
                static_cast<long long>(linux_frames), aligned, snr_db(linux_decode, acm.samples, track.channels, -1),
                snr_db(linux_decode, acm.samples, track.channels, 1));
    EXPECT_GT(aligned, 40.0) << track.name;
    for (int lag : {-2, -1, 1, 2})
      EXPECT_GT(aligned, snr_db(linux_decode, acm.samples, track.channels, lag) + 3.0) << track.name << " lag " << lag;
  }
}

}  // namespace
