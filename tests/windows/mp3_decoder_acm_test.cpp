// The ACM decoder against libmpg123's gapless decode of the same files:
// format, exact length, sample alignment, loops and chunking; and what it
// does with broken input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/band_levels.h"
#include "audio/mp3_decoder.h"
#include "audio/mp3_frames.h"
#include "tests/audio/mp3_decoder_checks.h"
#include "tests/support/signals.h"
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

TEST(AcmDecoder, AnyChunkSizeGivesTheSameSamples) {
  const std::string path = reference_path("stereo44.mp3");
  const Decoded whole = decode_file(path, 1 << 20);
  ASSERT_EQ(whole.samples.size(), 2u * 3 * 44100);
  for (long chunk : {1L, 7L, 576L, 1152L, 1153L, 4096L}) {
    EXPECT_EQ(decode_file(path, chunk).samples, whole.samples) << "chunks of " << chunk;
  }
}

TEST(AcmDecoder, LoopIsGaplessAcrossThreeWraps) {
  for (const char* name : {"tone", "mono22"}) {
    const std::vector<int16_t> linux_decode = read_reference_file<int16_t>(std::string(name) + ".raw");
    Mp3Format format;
    Mp3Decoder* d = mp3_decoder_open_file(reference_path(std::string(name) + ".mp3").c_str(), 0, 0, &format);
    ASSERT_NE(d, nullptr) << name;
    // Read in chunks that do not divide the length, rewinding where a read
    // comes back empty, as the music layer does at the end of the track.
    std::vector<int16_t> joined;
    std::vector<int16_t> chunk(1000 * format.channels);
    int wraps = 0;
    while (wraps < 3 || joined.size() < 4 * linux_decode.size()) {
      const long n = mp3_decoder_read(d, chunk.data(), 1000);
      ASSERT_GE(n, 0) << name;
      if (n == 0) {
        ASSERT_TRUE(mp3_decoder_rewind(d)) << name;
        ++wraps;
        continue;
      }
      joined.insert(joined.end(), chunk.begin(), chunk.begin() + n * format.channels);
    }
    mp3_decoder_close(d);
    EXPECT_EQ(wraps, 3) << name;
    ASSERT_EQ(joined.size(), 4 * linux_decode.size()) << name;
    // Every pass is the first pass again, sample for sample, so the joins
    // hold neither a gap nor a repeat; and each is the Linux decode.
    const std::vector<int16_t> first(joined.begin(), joined.begin() + linux_decode.size());
    EXPECT_GT(snr_db(linux_decode, first, format.channels, 0), 40.0) << name;
    for (int pass = 1; pass < 4; ++pass) {
      EXPECT_TRUE(std::equal(first.begin(), first.end(), joined.begin() + pass * linux_decode.size()))
          << name << " pass " << pass;
    }
  }
}

TEST(AcmDecoder, MemoryAndFileRangeDecodeLikeTheFile) {
  const std::vector<uint8_t> mp3 = read_reference_file<uint8_t>("mono22.mp3");
  const Decoded from_file = decode_file(reference_path("mono22.mp3"));
  ASSERT_FALSE(from_file.samples.empty());

  Decoded from_memory;
  Mp3Decoder* d = mp3_decoder_open_memory(mp3.data(), mp3.size(), &from_memory.format);
  ASSERT_NE(d, nullptr);
  read_to_end(d, from_memory.format.channels, 4096, &from_memory);
  mp3_decoder_close(d);
  EXPECT_EQ(from_memory.samples, from_file.samples);

  // The file inside a bigger one: junk before and after it.
  const std::string packed = reference_path("packed.bin");
  std::FILE* f = std::fopen(packed.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const std::vector<uint8_t> junk(3000, 0xFF);
  std::fwrite(junk.data(), 1, junk.size(), f);
  std::fwrite(mp3.data(), 1, mp3.size(), f);
  std::fwrite(junk.data(), 1, junk.size(), f);
  std::fclose(f);
  Decoded from_range;
  d = mp3_decoder_open_file(packed.c_str(), junk.size(), mp3.size(), &from_range.format);
  ASSERT_NE(d, nullptr);
  read_to_end(d, from_range.format.channels, 4096, &from_range);
  mp3_decoder_close(d);
  EXPECT_EQ(from_range.format.frames, from_file.format.frames);
  EXPECT_EQ(from_range.samples, from_file.samples);
  std::remove(packed.c_str());
}

TEST(AcmDecoder, AFileCutShortEndsWhereTheLinuxDecodeEnds) {
  const std::vector<int16_t> linux_decode = read_reference_file<int16_t>("cut.raw");
  ASSERT_FALSE(linux_decode.empty());
  const Decoded acm = decode_file(reference_path("cut.mp3"));
  ASSERT_TRUE(acm.opened);
  EXPECT_FALSE(acm.broken);
  EXPECT_EQ(acm.format.frames, 3 * 44100) << "the tag's promise";
  EXPECT_EQ(acm.samples.size(), linux_decode.size()) << "what the whole frames hold";
  EXPECT_GT(snr_db(linux_decode, acm.samples, 2, 0), 40.0);
}

TEST(AcmDecoder, BrokenInputOpensNothing) {
  const std::vector<uint8_t> mp3 = read_reference_file<uint8_t>("stereo44.mp3");
  Mp3Layout layout;
  ASSERT_TRUE(scan_mp3(mp3.data(), mp3.size(), &layout));
  const std::vector<uint8_t> junk(20000, 0x5A);
  struct Case {
    const char* what;
    const uint8_t* data;
    size_t size;
  };
  const Case cases[] = {
      {"nothing", nullptr, 0},
      {"junk", junk.data(), junk.size()},
      {"a header alone", mp3.data(), 4},
      {"the tag frame alone", mp3.data(), layout.frame_offsets[0]},
  };
  for (const Case& c : cases) {
    Mp3Format format;
    EXPECT_EQ(mp3_decoder_open_memory(c.data, c.size, &format), nullptr) << c.what;
  }
  Mp3Format format;
  EXPECT_EQ(mp3_decoder_open_file(reference_path("missing.mp3").c_str(), 0, 0, &format), nullptr);
  EXPECT_EQ(mp3_decoder_open_file(reference_path("stereo44.mp3").c_str(), mp3.size(), 0, &format), nullptr)
      << "offset at the end";
  mp3_decoder_close(nullptr);
  EXPECT_FALSE(mp3_decoder_rewind(nullptr));
}

TEST(AcmDecoder, AFileOverTheSizeLimitIsRefusedAtOpenUnlessARangeWithinItIsAsked) {
  expect_size_limit_refused_at_open(read_reference_file<uint8_t>("tone.mp3"), reference_path("orvu.mp3"));
}

TEST(AcmDecoder, TestToneSpectrumReadsAsOnLinux) {
  // The Linux build's spectrum of libmpg123's decode, written at build time.
  const std::vector<float> linux_spectra = read_reference_file<float>("tone.spectrum");
  constexpr size_t windows = sizeof spectrum_centres / sizeof spectrum_centres[0];
  ASSERT_EQ(linux_spectra.size(), windows * spectrum_bands);
  const Decoded acm = decode_file(reference_path("tone.mp3"));
  ASSERT_TRUE(acm.opened);
  for (size_t w = 0; w < windows; ++w) {
    float window[spectrum_input_samples];
    float bands[spectrum_bands];
    mono_window(acm.samples, acm.format.channels, spectrum_centres[w], window);
    compute_spectrum(window, bands);
    const float* on_linux = &linux_spectra[w * spectrum_bands];
    float worst = 0;
    for (int k = 0; k < spectrum_bands; ++k) worst = std::max(worst, std::fabs(bands[k] - on_linux[k]));
    std::printf(
        "frame %lld: band 0 %.4f (Linux %.4f), 1 kHz bands %.4f/%.4f (Linux %.4f/%.4f), largest difference %.5f\n",
        static_cast<long long>(spectrum_centres[w]), bands[0], on_linux[0], bands[21], bands[22], on_linux[21],
        on_linux[22], worst);
    // A bass hit on both (the demo's test is band 0 > 0.05), and the same
    // reading everywhere within what two lossy decoders differ by.
    EXPECT_GT(bands[0], 0.15f) << "frame " << spectrum_centres[w];
    EXPECT_NEAR(bands[0], on_linux[0], 0.002f) << "frame " << spectrum_centres[w];
    EXPECT_LT(worst, 0.002f) << "frame " << spectrum_centres[w];
  }
}

}  // namespace
