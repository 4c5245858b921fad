// Whole-file decoding of MP3 files made here with LAME.
#include "audio/mp3_file.h"

#include "tests/support/lame_encode.h"
#include "tests/support/signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Format {
  int rate;
  int channels;
  int frames;
};

TEST(Mp3File, DecodesToTheSourceLengthRateAndChannels) {
  for (const Format& f : {Format{44100, 2, 44100 * 2 + 123}, Format{44100, 1, 30001}, Format{48000, 2, 48000 + 7},
                          Format{22050, 1, 22050 / 2 + 1}}) {
    const std::vector<int16_t> source = make_test_signal(f.frames, f.rate, f.channels);
    const std::vector<unsigned char> mp3 = encode_mp3(source, f.rate, f.channels);
    ASSERT_FALSE(mp3.empty());
    const std::string path = temp_path("roundtrip.mp3");
    ASSERT_TRUE(write_file(path, mp3));

    DecodedPcm pcm;
    ASSERT_TRUE(decode_mp3_file(path.c_str(), &pcm)) << f.rate << " Hz, " << f.channels << " ch";
    std::remove(path.c_str());
    EXPECT_EQ(pcm.rate, f.rate);
    EXPECT_EQ(pcm.channels, f.channels);
    ASSERT_EQ(pcm.frames(), static_cast<size_t>(f.frames)) << f.rate << " Hz, " << f.channels << " ch";
    // Aligned sample for sample: any leftover encoder delay ruins this.
    EXPECT_GT(snr_db(source, pcm.samples), 25.0) << f.rate << " Hz, " << f.channels << " ch";
  }
}

TEST(Mp3File, FromMemoryMatchesFromFile) {
  const std::vector<int16_t> source = make_test_signal(10000, 44100, 2);
  const std::vector<unsigned char> mp3 = encode_mp3(source, 44100, 2);
  const std::string path = temp_path("memory.mp3");
  ASSERT_TRUE(write_file(path, mp3));
  DecodedPcm from_file, from_memory;
  ASSERT_TRUE(decode_mp3_file(path.c_str(), &from_file));
  ASSERT_TRUE(decode_mp3_memory(mp3.data(), mp3.size(), &from_memory));
  std::remove(path.c_str());
  EXPECT_EQ(from_file.samples, from_memory.samples);
}

TEST(Mp3File, BadInputIsRefusedAndLeavesNothingAllocated) {
  const std::vector<unsigned char> good = encode_mp3(make_test_signal(44100, 44100, 2), 44100, 2);
  ASSERT_GT(good.size(), 2000u);
  std::vector<unsigned char> noise(20000);
  unsigned state = 12345;
  for (unsigned char& b : noise) b = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16);
  const std::string text = "this is not an mp3 file at all\n";

  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  const std::vector<Case> cases = {
      {"empty", {}},
      {"text", std::vector<unsigned char>(text.begin(), text.end())},
      {"noise", noise},
      {"truncated to half", std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2)},
      {"only the tag frame", std::vector<unsigned char>(good.begin(), good.begin() + 300)},
      {"missing the end", std::vector<unsigned char>(good.begin(), good.end() - 1000)},
  };
  for (const Case& c : cases) {
    const std::string path = temp_path("bad.mp3");
    ASSERT_TRUE(write_file(path, c.bytes));
    DecodedPcm pcm;
    pcm.samples.assign(100, 1);  // stale content must go
    EXPECT_FALSE(decode_mp3_file(path.c_str(), &pcm)) << c.name;
    EXPECT_EQ(pcm.samples.capacity(), 0u) << c.name;
    EXPECT_EQ(pcm.frames(), 0u) << c.name;
    std::remove(path.c_str());
    EXPECT_FALSE(decode_mp3_memory(c.bytes.data(), c.bytes.size(), &pcm)) << c.name;
  }
  DecodedPcm pcm;
  EXPECT_FALSE(decode_mp3_file("/nonexistent/dir/orvu.mp3", &pcm));
  EXPECT_FALSE(decode_mp3_file("/tmp", &pcm));
  EXPECT_FALSE(decode_mp3_file(nullptr, &pcm));
  EXPECT_FALSE(decode_mp3_memory(nullptr, 100, &pcm));
}

}  // namespace
