// The MP3 layout reader: frame headers by table, and whole files made by
// LAME with tags and junk around them.
#include "audio/mp3_frames.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/windows/reference_files.h"

namespace {

TEST(Mp3FrameHeader, ReadsRateChannelsAndSizeOrRefuses) {
  struct Case {
    uint8_t bytes[4];
    bool valid;
    int rate, channels, samples_per_frame, frame_bytes;
    bool crc;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x64}, true, 44100, 2, 1152, 417, false},   // MPEG-1, 128 kbit/s, joint stereo
      {{0xFF, 0xFB, 0x92, 0x64}, true, 44100, 2, 1152, 418, false},   // ... with the padding byte
      {{0xFF, 0xFA, 0x90, 0xC4}, true, 44100, 1, 1152, 417, true},    // check word follows, mono
      {{0xFF, 0xFB, 0xE4, 0x00}, true, 48000, 2, 1152, 960, false},   // 320 kbit/s at 48 kHz
      {{0xFF, 0xFB, 0xE8, 0x00}, true, 32000, 2, 1152, 1440, false},  // 320 kbit/s at 32 kHz
      {{0xFF, 0xF3, 0x80, 0xC4}, true, 22050, 1, 576, 208, false},    // MPEG-2, 64 kbit/s
      {{0xFF, 0xE3, 0x84, 0xC4}, true, 12000, 1, 576, 384, false},    // MPEG-2.5
      {{0xFF, 0xFD, 0x90, 0x64}, false, 0, 0, 0, 0, false},           // Layer II
      {{0xFF, 0xFB, 0x00, 0x64}, false, 0, 0, 0, 0, false},           // free format
      {{0xFF, 0xFB, 0xF0, 0x64}, false, 0, 0, 0, 0, false},           // bitrate index 15
      {{0xFF, 0xFB, 0x9C, 0x64}, false, 0, 0, 0, 0, false},           // reserved rate
      {{0xFF, 0xEB, 0x90, 0x64}, false, 0, 0, 0, 0, false},           // reserved version
      {{0xFE, 0xFB, 0x90, 0x64}, false, 0, 0, 0, 0, false},           // no sync
  };
  for (const Case& c : cases) {
    Mp3FrameHeader h;
    const bool valid = parse_mp3_frame_header(c.bytes, &h);
    ASSERT_EQ(valid, c.valid) << std::hex << int{c.bytes[1]} << " " << int{c.bytes[2]};
    if (!valid) continue;
    EXPECT_EQ(h.rate, c.rate);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.samples_per_frame, c.samples_per_frame);
    EXPECT_EQ(h.bytes, c.frame_bytes) << h.rate << " Hz, " << h.bitrate_kbps << " kbit/s";
    EXPECT_EQ(h.crc, c.crc);
  }
}

TEST(Mp3Layout, LameFileGivesItsTrimAndTheSameFramesWhateverSurroundsThem) {
  const std::vector<uint8_t> mp3 = read_reference_file<uint8_t>("stereo44.mp3");
  ASSERT_FALSE(mp3.empty());
  Mp3Layout plain;
  ASSERT_TRUE(scan_mp3(mp3.data(), mp3.size(), &plain));
  EXPECT_TRUE(plain.has_gapless_tag);
  EXPECT_EQ(plain.encoder_delay, 576);  // LAME's own delay, before the decoder's 529
  EXPECT_GT(plain.encoder_padding, 0);
  EXPECT_EQ(mp3_gapless_frames(plain), 3 * 44100);
  EXPECT_EQ(plain.first.rate, 44100);

  // An ID3v2 tag in front (body of 20 bytes, sizes in 7-bit bytes), an
  // ID3v1 tag and junk behind, a frame cut off at the end.
  std::vector<uint8_t> id3 = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
  id3.resize(30, 0xFF);  // a body full of would-be sync bytes
  struct Variant {
    const char* what;
    std::vector<uint8_t> front, back;
    size_t cut;
    size_t frames;
  };
  const size_t n = plain.frame_offsets.size();
  std::vector<uint8_t> id3v1(128, 0);
  id3v1[0] = 'T', id3v1[1] = 'A', id3v1[2] = 'G';
  const Variant variants[] = {
      {"ID3v2 in front", id3, {}, 0, n},
      {"ID3v1 behind", {}, id3v1, 0, n},
      {"junk in front", {0x00, 0xFF, 0xFB, 0x12, 0x34, 0x56}, {}, 0, n},
      {"last frame cut", {}, {}, 10, n - 1},
  };
  for (const Variant& v : variants) {
    std::vector<uint8_t> bytes = v.front;
    bytes.insert(bytes.end(), mp3.begin(), mp3.end() - v.cut);
    bytes.insert(bytes.end(), v.back.begin(), v.back.end());
    Mp3Layout layout;
    ASSERT_TRUE(scan_mp3(bytes.data(), bytes.size(), &layout)) << v.what;
    EXPECT_EQ(layout.frame_offsets.size(), v.frames) << v.what;
    EXPECT_EQ(layout.frame_offsets[0], plain.frame_offsets[0] + v.front.size()) << v.what;
    EXPECT_EQ(layout.encoder_delay, plain.encoder_delay) << v.what;
    EXPECT_EQ(mp3_gapless_frames(layout), 3 * 44100) << v.what << ": the tag's length, whatever is left";
  }
}

TEST(Mp3Layout, RefusesWhatHoldsNoFrame) {
  const std::vector<uint8_t> junk(5000, 0x55);
  const uint8_t lone_header[] = {0xFF, 0xFB, 0x90, 0x64};
  const std::vector<uint8_t> id3_only = {'I', 'D', '3', 4, 0, 0, 0, 0, 0x7F, 0x7F};  // says far more than there is
  Mp3Layout layout;
  EXPECT_FALSE(scan_mp3(nullptr, 0, &layout));
  EXPECT_FALSE(scan_mp3(junk.data(), junk.size(), &layout));
  EXPECT_FALSE(scan_mp3(lone_header, sizeof lone_header, &layout));
  EXPECT_FALSE(scan_mp3(id3_only.data(), id3_only.size(), &layout));
}

}  // namespace
