// The Windows decoder's frame and tag reader against libmpg123 on this
// build: LAME files at every MPEG version, both channel counts, VBR and
// CBR, with and without the tag, give the rate, channels and length the
// Linux decoder gives; cut anywhere in their first frames they are refused
// or read within what is left.
#include "audio/mp3_frames.h"

#include "audio/mp3_decoder.h"
#include "audio/mp3_file.h"
#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Mp3FramesAgainstMpg123, LameFilesGiveTheDecodersRateChannelsAndLength) {
  struct Case {
    int rate, channels;
    LameOptions options;
  };
  const Case cases[] = {
      {44100, 2, {}}, {48000, 1, {}}, {32000, 2, {128, true}}, {22050, 1, {}},           {24000, 2, {64, true}},
      {16000, 1, {}}, {11025, 2, {}}, {8000, 1, {32, true}},   {44100, 2, {128, false}}, {22050, 1, {0, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels, "
                                    << (c.options.cbr_kbps ? "CBR" : "VBR") << (c.options.lame_tag ? "" : ", no tag"));
    const std::vector<unsigned char> mp3 =
        encode_mp3(make_test_signal(c.rate / 3 + 77, c.rate, c.channels), c.rate, c.channels, c.options);
    ASSERT_FALSE(mp3.empty());
    DecodedPcm pcm;
    ASSERT_TRUE(decode_mp3_memory(mp3.data(), mp3.size(), &pcm));
    Mp3Layout layout;
    ASSERT_TRUE(scan_mp3(mp3.data(), mp3.size(), &layout));
    EXPECT_EQ(layout.first.rate, pcm.rate);
    EXPECT_EQ(layout.first.channels, pcm.channels);
    EXPECT_EQ(layout.has_gapless_tag, c.options.lame_tag);
    EXPECT_EQ(mp3_gapless_frames(layout), static_cast<int64_t>(pcm.frames()));
    const size_t end = layout.frame_offsets.back() + static_cast<size_t>(layout.frame_bytes.back());
    EXPECT_EQ(end, mp3.size()) << "every frame listed, end to end";

    // Cut at every byte of the tag frame and the first audio frames: each
    // cut is a buffer of its own size, so that the sanitizers see a read
    // past it.
    const size_t cuts_end = std::min(mp3.size(), layout.frame_offsets[0] + 3 * size_t(layout.frame_bytes[0]));
    for (size_t cut = 1; cut < cuts_end; ++cut) {
      const std::vector<uint8_t> head(mp3.begin(), mp3.begin() + cut);
      Mp3Layout part;
      if (!scan_mp3(head.data(), head.size(), &part)) {
        ASSERT_TRUE(part.frame_offsets.empty()) << "cut at " << cut;
        continue;
      }
      ASSERT_LE(part.frame_offsets.back() + size_t(part.frame_bytes.back()), cut);
      ASSERT_EQ(part.first.rate, pcm.rate) << "cut at " << cut;
    }
  }
}

}  // namespace
