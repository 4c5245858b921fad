// The incremental decoder's contract, on files made here with LAME: exact
// length from the tag, reads of any size giving the same audio, rewind to
// the first sample, byte ranges of a larger file, and refusals.
#include "audio/mp3_decoder.h"

#include "tests/audio/mp3_decoder_checks.h"
#include "tests/support/files.h"
#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Everything the decoder gives, read `step` frames at a time.
std::vector<int16_t> read_all(Mp3Decoder* d, int channels, long step) {
  std::vector<int16_t> pcm, chunk(static_cast<size_t>(step) * channels);
  for (long n; (n = mp3_decoder_read(d, chunk.data(), step)) > 0;)
    pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + n * channels);
  return pcm;
}

struct Source {
  const char* name;
  int rate;
  int channels;
  int frames;
  LameOptions options;
};

const Source sources[] = {
    {"44.1 kHz stereo VBR", 44100, 2, 44100 + 321, {}},
    {"48 kHz stereo CBR 192", 48000, 2, 30000, {192, true}},
    {"22.05 kHz mono", 22050, 1, 22050 / 2 + 9, {}},
    {"no LAME tag", 44100, 2, 20000, {0, false}},
};

TEST(Mp3Decoder, FormatLengthAndReadsOfAnySize) {
  for (const Source& src : sources) {
    SCOPED_TRACE(src.name);
    const std::vector<unsigned char> mp3 =
        encode_mp3(make_test_signal(src.frames, src.rate, src.channels), src.rate, src.channels, src.options);
    Mp3Format format;
    Mp3Decoder* d = mp3_decoder_open_memory(mp3.data(), mp3.size(), &format);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(format.rate, src.rate);
    EXPECT_EQ(format.channels, src.channels);
    const std::vector<int16_t> big_reads = read_all(d, src.channels, 100000);
    if (src.options.lame_tag) {
      EXPECT_EQ(format.frames, src.frames) << "the tag gives the exact length";
      EXPECT_EQ(big_reads.size(), size_t(src.frames) * src.channels);
    } else {
      EXPECT_EQ(format.frames, -1) << "without the tag the length is not known";
      // The encoder's delay and padding stay in.
      EXPECT_GT(big_reads.size(), size_t(src.frames) * src.channels);
    }
    EXPECT_EQ(mp3_decoder_read(d, nullptr, 0), 0);
    std::vector<int16_t> tail(64 * src.channels);
    EXPECT_EQ(mp3_decoder_read(d, tail.data(), 64), 0) << "at the end";

    // Rewound, odd-sized reads give the same samples.
    ASSERT_TRUE(mp3_decoder_rewind(d));
    EXPECT_EQ(read_all(d, src.channels, 333), big_reads);
    // Rewound part-way through, it starts again at the first sample.
    ASSERT_TRUE(mp3_decoder_rewind(d));
    std::vector<int16_t> part(5000 * src.channels);
    ASSERT_EQ(mp3_decoder_read(d, part.data(), 5000), 5000);
    ASSERT_TRUE(mp3_decoder_rewind(d));
    EXPECT_EQ(read_all(d, src.channels, 1), big_reads);
    mp3_decoder_close(d);
  }
}

TEST(Mp3Decoder, FileRangeDecodesLikeTheBlockInMemory) {
  const std::vector<unsigned char> mp3 = encode_mp3(make_test_signal(30000, 44100, 2), 44100, 2);
  Mp3Format format;
  Mp3Decoder* d = mp3_decoder_open_memory(mp3.data(), mp3.size(), &format);
  ASSERT_NE(d, nullptr);
  const std::vector<int16_t> expected = read_all(d, 2, 4096);
  mp3_decoder_close(d);

  // The file between 777 bytes of text and 3000 bytes of noise.
  std::vector<unsigned char> bytes;
  bytes.reserve(777 + mp3.size() + 3000);
  bytes.resize(777, 'x');
  bytes.insert(bytes.end(), mp3.begin(), mp3.end());
  for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<unsigned char>(i * 2654435761u >> 13));
  const std::string path = temp_path("range.mp3");
  ASSERT_TRUE(write_file(path, bytes));
  Mp3Format from_file;
  d = mp3_decoder_open_file(path.c_str(), 777, mp3.size(), &from_file);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(from_file.frames, format.frames);
  EXPECT_EQ(read_all(d, 2, 4096), expected);
  mp3_decoder_close(d);

  // A range past the end of the file, and a file that is not one.
  EXPECT_EQ(mp3_decoder_open_file(path.c_str(), bytes.size(), 0, &from_file), nullptr);
  EXPECT_EQ(from_file.rate, 0);
  std::remove(path.c_str());
  EXPECT_EQ(mp3_decoder_open_file(path.c_str(), 0, 0, &from_file), nullptr) << "missing";
  EXPECT_EQ(mp3_decoder_open_file("/tmp", 0, 0, &from_file), nullptr) << "a directory";
  EXPECT_EQ(mp3_decoder_open_file(nullptr, 0, 0, &from_file), nullptr);
}

TEST(Mp3Decoder, RefusesWhatIsNoMp3AndReportsABreakPartWay) {
  const std::string text = "this is not an mp3 file at all\n";
  std::vector<unsigned char> noise(20000);
  unsigned state = 12345;
  for (unsigned char& b : noise) b = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16);
  Mp3Format format;
  EXPECT_EQ(mp3_decoder_open_memory(text.data(), text.size(), &format), nullptr);
  EXPECT_EQ(mp3_decoder_open_memory(noise.data(), noise.size(), &format), nullptr);
  EXPECT_EQ(mp3_decoder_open_memory(noise.data(), 0, &format), nullptr);
  EXPECT_EQ(mp3_decoder_open_memory(nullptr, 100, &format), nullptr);
  EXPECT_EQ(format.rate, 0);
  mp3_decoder_close(nullptr);
  EXPECT_FALSE(mp3_decoder_rewind(nullptr));

  // Cut short: what is there decodes, then the audio ends early; it
  // decodes again the same after a rewind.
  const std::vector<unsigned char> mp3 = encode_mp3(make_test_signal(44100, 44100, 2), 44100, 2);
  const std::vector<unsigned char> half(mp3.begin(), mp3.begin() + mp3.size() / 2);
  Mp3Decoder* d = mp3_decoder_open_memory(half.data(), half.size(), &format);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(format.frames, 44100) << "the tag still speaks for the whole file";
  const std::vector<int16_t> first = read_all(d, 2, 4096);
  EXPECT_GT(first.size(), 2u * 10000);
  EXPECT_LT(first.size(), 2u * 40000);
  ASSERT_TRUE(mp3_decoder_rewind(d));
  EXPECT_EQ(read_all(d, 2, 4096), first);
  mp3_decoder_close(d);
}

TEST(Mp3Decoder, AFileOverTheSizeLimitIsRefusedAtOpenUnlessARangeWithinItIsAsked) {
  const std::vector<unsigned char> mp3 = encode_mp3(make_test_signal(22050, 44100, 2), 44100, 2);
  TempFolder folder("size-limit");
  expect_size_limit_refused_at_open(std::vector<uint8_t>(mp3.begin(), mp3.end()), folder / "orvu.mp3");
}

}  // namespace
